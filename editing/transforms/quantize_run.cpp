#include "editing/transforms/quantize_run.h"

#include <vector>

#include "editing/transforms/quantize_grid.h"
#include "editing/transforms/transform_frame.h"
#include "shell/base/error_report.h"
#include "song/events/event_sort.h"
#include "song/model/song_context.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_iterators.h"
#include "song/model/track_length.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

namespace {

void QuantizeTrackToGrid(const QuantizeSettings* s) {
  if (!GetCurrentTrackEventList() || BeginTrackEdit() != noErr) return;
  LockCurrentTrackEvents();
  std::vector<uint8_t*> notes;
  CollectSelectionNotes(&notes);
  bool moved = false;
  uint32_t last = QuantizeNotesToGrid(s, notes, &moved);
  UnlockCurrentTrackEvents();
  if (moved) SortTrackEvents();
  if (last) TrackLengthAtLeast(last);
  EndTrackEdit();
}

// The groove of a groove kind, read before any track changes; false (error text 34 shown)
// when it is missing, malformed or holds no note-on.
bool PrepareGroove(QuantizeRun* run) {
  QuantizeSettings* s = run->settings;
  const uint8_t kind = GetQuantizeByte(s, kQuantizeKind);
  bool found = kind == kQuantizeKindResource
                   ? LoadGrooveResource(int16_t(GetQuantizeI16(s, kQuantizeGrooveId)), &run->groove) == noErr
                   : LoadTrackGroove(GetQuantizeI16(s, kQuantizeGrooveTrack) & 0xFFFF, &run->groove);
  if (!found || run->groove.notes.empty()) {
    ReportAppErrorText(kGrooveNoNotesText);
    return false;
  }
  SetQuantizeByte(s, kQuantizeApply, 1);
  return true;
}

int32_t ApplyToTrackAndChildren(void* run) {
  ApplyGrooveTemplate(run);
  ApplyToChildSequences(ApplyGrooveTemplate, run);
  return 0;
}

}  // namespace

int32_t ApplyGrooveTemplate(void* arg) {
  QuantizeRun* run = static_cast<QuantizeRun*>(arg);
  if (GetQuantizeByte(run->settings, kQuantizeKind) == kQuantizeKindGrid)
    QuantizeTrackToGrid(run->settings);
  else
    ApplyPreparedGroove(run->settings, run->groove, 0);
  return 0;
}

bool RunQuantize(QuantizeSettings* settings, bool undoable) {
  const uint8_t kind = GetQuantizeByte(settings, kQuantizeKind);
  if (kind == kQuantizeKindGrid && GetQuantizeU32(settings, kQuantizeGrid) == 0) return false;
  if ((GetQuantizeByte(settings, kQuantizeFlags) & (kQuantizeStarts | kQuantizeDurations)) == 0) {
    ReportAppErrorText(kNothingToQuantizeText);
    return false;
  }
  QuantizeRun run{settings, {}};
  if (kind != kQuantizeKindGrid && !PrepareGroove(&run)) return false;
  if (undoable) return ApplyTransformToSelection(kUndoKindQuantize, ApplyGrooveTemplate, &run);
  SetSongModified();
  ForEachTrackWithEvents(ApplyToTrackAndChildren, &run);
  RedrawAll(0);
  return false;
}
