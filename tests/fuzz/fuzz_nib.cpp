// The nib text reader.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/nib/nib_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  NibDocument doc;
  NibParseError error;
  bool ok = ParseNibText(std::string_view(reinterpret_cast<const char*>(data), size), &doc, &error);
  if (!ok && (error.line < 1 || error.message.empty() || !doc.windows.empty())) __builtin_trap();
  return 0;
}
