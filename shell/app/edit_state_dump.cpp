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
  if (!gClipboard || !IsValidHandle(gClipboard) || GetHandleSize(gClipboard) < kClipboardRecordSize) {
    *out += "clipboard none\n";
    return;
  }
  uint8_t* record = reinterpret_cast<uint8_t*>(HandleData(gClipboard));
  EventClipboardView view(record);
  *out += "clipboard " + std::to_string(view.Kind()) + " " + std::to_string(view.StartTick()) + " " +
          std::to_string(view.EndTick()) + " " + std::to_string(record[kClipboardTracks + kSelectionFirstSlot]) +
          " " + std::to_string(record[kClipboardTracks + kSelectionLastSlot]) + "\n";
}
