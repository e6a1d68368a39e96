// Dialog and control resource readers: 'DITL', 'DLOG', 'ALRT' and 'CNTL' images.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/controls/cntl_resources.h"
#include "platform/dialogs/dialog_resources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<DialogItemTemplate> items;
  if (ParseDialogItemList(data, size, &items)) {
    // What was read writes back to an image that reads the same.
    std::string image = BuildDialogItemList(items);
    std::vector<DialogItemTemplate> again;
    if (!ParseDialogItemList(reinterpret_cast<const UInt8*>(image.data()), image.size(), &again) ||
        again.size() != items.size())
      __builtin_trap();
  }
  DialogTemplate dialog;
  ParseDialogTemplate(data, size, &dialog);
  AlertTemplate alert;
  ParseAlertTemplate(data, size, &alert);
  ControlTemplate control;
  ParseControlTemplate(data, size, &control);
  return 0;
}
