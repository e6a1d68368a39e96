#include "shell/app/state_dump_notes.h"

#include "editors/note_drawing/note_boxes.h"
#include "editors/panes/pane_stack.h"
#include "editors/selection/event_hit_test.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/quickdraw/ports.h"
#include "platform/windows/windows.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/events/seq_event.h"
#include "song/model/utility_track_access.h"

namespace {

struct NoteLines {
  std::string* out;
  WindowRef editor;
};

void AppendNote(uint8_t* e, void* context) {
  auto* lines = static_cast<NoteLines*>(context);
  ComputeNoteRect(e);
  Point topLeft{gNoteRect.top, gNoteRect.left}, bottomRight{gNoteRect.bottom, gNoteRect.right};
  QDLocalToGlobalPoint(GetWindowPort(lines->editor), &topLeft);
  QDLocalToGlobalPoint(GetWindowPort(lines->editor), &bottomRight);
  *lines->out += "note " + std::to_string(SeqEventTime(e)) + " " + std::to_string(e[kEventData1]) + " " +
                 std::to_string(e[kEventData2]) + " " + std::to_string(GetNoteDuration(e)) + " " +
                 ((e[kEventFlags] & kEventSelected) ? "1 " : "0 ") + std::to_string(topLeft.h) + " " +
                 std::to_string(topLeft.v) + " " + std::to_string(bottomRight.h) + " " + std::to_string(bottomRight.v) +
                 "\n";
}

}  // namespace

void AppendPaneNotes(std::string* out) {
  WindowRef editor = GetAppWindowRef(&gMainEditorRecord);
  if (!editor || gEditorPaneCount <= 0) return;
  int16_t pane = gCurrentPaneIndex;
  int32_t track = GetCurrentTrackIndex();
  TimelineFrame frame = gTimelineFrame;
  SelectPaneForDrawing(0);
  NoteLines lines{out, editor};
  ForEachCurrentTrackNote(AppendNote, &lines);
  if (pane >= 0 && pane < gEditorPaneCount) SelectEditorPaneIndex(pane);
  SetCurrentTrackIndex(track);
  gTimelineFrame = frame;
}
