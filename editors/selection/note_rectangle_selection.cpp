#include "editors/selection/note_rectangle_selection.h"

#include "editors/selection/event_hit_test.h"
#include "editors/timeline/click_state.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/windows/app_windows.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/utility_track_access.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

namespace {

int32_t ApplyRectangle(void* context) {
  if (!GetCurrentTrackEventList()) return 0;
  SetCurrentUndoKind(kSelectionUndoKind);
  ForEachCurrentTrackNote(
      [](uint8_t* e, void* keepOthers) {
        if (IsNoteInRectangle(e))
          e[kEventFlags] |= kEventSelected;
        else if (!*static_cast<bool*>(keepOthers))
          e[kEventFlags] &= uint8_t(~kEventSelected);
      },
      context);
  InvalAppWindowPort(&gMainEditorRecord);
  return 1;
}

}  // namespace

bool IsNoteInRectangle(const unsigned char* event) {
  uint32_t t = SeqEventTime(event);
  uint8_t pitch = event[kEventData1];
  return t >= gTimeSelection.start.tick && t < gTimeSelection.end.tick && pitch >= gFilterLowNote &&
         pitch <= gFilterHighNote;
}

void SelectNotesInRectangle(bool keepOthers) { RunUndoableEditForCurrentTrack(ApplyRectangle, &keepOthers); }
