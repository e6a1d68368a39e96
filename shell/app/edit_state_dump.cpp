#include "shell/app/edit_state_dump.h"

#include "platform/memory/memory.h"
#include "song/model/clipboard_record.h"
#include "song/model/song_layout.h"
#include "song/model/track_selection.h"

void AppendEditStateDump(std::string* out) {
  *out += "trackselection " + std::to_string(gTrackSelection[kSelectionFirstSlot]) + " " +
          std::to_string(gTrackSelection[kSelectionLastSlot]);
  for (int32_t n = 0; n < kMaxTrackNumbers; ++n)
    if (IsTrackSlotSelected(n)) *out += " " + std::to_string(n);
  *out += "\n";
  if (!gClipboard || !IsValidHandle(gClipboard) || GetHandleSize(gClipboard) <= kClipboardKind) {
    *out += "clipboard none\n";
    return;
  }
  *out += "clipboard " + std::to_string(uint8_t(HandleData(gClipboard)[kClipboardKind])) + "\n";
}
