#include "shell/app/editor_state_dump.h"

#include <cstdio>

#include "editors/lanes/lane_drawing.h"
#include "editors/lanes/lane_scale.h"
#include "editors/note_drawing/note_boxes.h"
#include "editors/note_entry/editor_clicks.h"
#include "editors/note_entry/note_values.h"
#include "editors/panes/pane_headers.h"
#include "editors/panes/pane_stack.h"
#include "editors/rulers/bar_ruler.h"
#include "editors/selection/event_hit_test.h"
#include "editors/timeline/lane_values.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/quickdraw/colors.h"
#include "shell/dialogs/drawn_popups.h"
#include "shell/drawing/row_metrics.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/sample_position.h"
#include "song/conductor/timebase.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "editors/timeline/click_state.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_entries.h"

namespace {

constexpr int32_t kMostSelectedNotesListed = 200;

std::string Numbers(std::initializer_list<int64_t> values) {
  std::string text;
  for (int64_t v : values) text += " " + std::to_string(v);
  return text;
}

// Song order from 1 of the track with that number; 0 for none.
int32_t TrackOrderOfNumber(int32_t number) {
  int32_t index = -1;
  return gCurrentSong && FindTrackWithNumber(number, &index) ? index + 1 : 0;
}

void AppendNoteRows(std::string* out) {
  *out += "noterows" + Numbers({gNoteMetric, gOctaveHeight});
  for (int16_t boundary : gNoteRowBoundary) *out += " " + std::to_string(boundary);
  *out += "\n";
}

// Each pane header's view-mode field (window coordinates) and the drawn pop-ups' row height
// and margin as the last pop-up laid them out.
void AppendViewModeFields(std::string* out) {
  int16_t saved = gCurrentPaneIndex;
  for (int16_t k = 0; k < gEditorPaneCount; ++k) {
    SelectEditorPaneIndex(k);
    Rect r = GetPaneHeaderModeField();
    *out += "viewmodefield" + Numbers({k, r.left, r.top, r.right, r.bottom}) + "\n";
  }
  if (gEditorPaneCount > 0) SelectEditorPaneIndex(saved);
  *out += "popuprows" + Numbers({gPopUp.lineHeight, gPopUp.margin}) + "\n";
}

void AppendPanes(std::string* out) {
  for (int16_t k = 0; k < gEditorPaneCount; ++k) {
    Rect r;
    GetPaneContentRect(k, &r);
    *out += "editorpane" +
            Numbers({k, TrackOrderOfNumber(gEditorPanes[k].track), gEditorPanes[k].viewMode, PaneRowsTop(k), r.left,
                     r.top, r.right, r.bottom}) +
            "\n";
  }
  AppendViewModeFields(out);
  int32_t current = gCurrentTrack ? TrackOrderOfNumber(TrackEntryView(gCurrentTrack).Number()) : 0;
  *out += "editor" + Numbers({gCurrentPaneIndex, current, gNoteTool}) + "\n";
}

// The last data lane drawn: its rectangle (values map to y inside it), the lane controller and
// the graph's colour as the screen shows it.
void AppendLaneGraph(std::string* out) {
  const Rect& r = gLastDrawnLaneRect;
  char hex[8];
  std::snprintf(hex, sizeof hex, "%06X", unsigned(PixelFromRGB(GetLaneGraphColour()) & 0xFFFFFF));
  *out += "lanegraph" + Numbers({r.left, r.top, r.right, r.bottom, gLaneController, GetLaneRange(GetCurrentLaneKind())}) +
          " " + hex + "\n";
}

void AppendNoteColours(std::string* out) {
  *out += "notecolours";
  for (const RGBColor& c : gChannelColors) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%06X", unsigned(PixelFromRGB(c) & 0xFFFFFF));
    *out += std::string(" ") + hex;
  }
  *out += "\n";
}

struct NoteLines {
  std::string selected, shown;
  int32_t selectedCount = 0;
  int32_t leftTick = 0, rightTick = 0;
};

void VisitNote(uint8_t* e, void* context) {
  auto* lines = static_cast<NoteLines*>(context);
  int64_t tick = SeqEventTime(e), duration = GetNoteDuration(e);
  bool selected = e[kEventFlags] & kEventSelected;
  if (selected && lines->selectedCount++ < kMostSelectedNotesListed)
    lines->selected += "selectednote" + Numbers({tick, e[kEventData1], duration}) + "\n";
  if (tick + duration > lines->leftTick && tick <= lines->rightTick)
    lines->shown += "shownnote" + Numbers({tick, e[kEventData1], duration, e[kEventData2] & 0x7F, selected}) + "\n";
}

void AppendCurrentTrackNotes(std::string* out) {
  NoteLines lines;
  lines.leftTick = gTimelineLeftTick;
  lines.rightTick = GetTimelineRightTick();
  if (gCurrentTrack) ForEachCurrentTrackNote(VisitNote, &lines);
  *out += "selectednotes " + std::to_string(lines.selectedCount) + "\n" + lines.selected + lines.shown;
}

}  // namespace

void AppendEditorState(std::string* out) {
  *out += "timeline" +
          Numbers({gZoomLevel, gTimelineLeftTick, GetTimelineRightTick(), gTimelineFrame.originX, gTicksPerQuarter}) +
          "\n";
  // The audio levels' left sample, and the sample positions of the left and right ticks at
  // the timeline's rate.
  float rate = GetTimelineSampleRate();
  *out += "timelinesamples" +
          Numbers({int64_t(gTimelineLeftSample), int64_t(rate), TickToSamplePosition(gTimelineLeftTick, rate),
                   TickToSamplePosition(GetTimelineRightTick(), rate)}) +
          "\n";
  AppendNoteRows(out);
  AppendPanes(out);
  *out += "toolbar" + Numbers({gEditorToolbarLeft, gEditorToolbarTop}) + "\n";
  Rect ruler = GetMainRulerRect(GetMainWindowRight());
  *out += "ruler" + Numbers({ruler.left, ruler.top, ruler.right, ruler.bottom}) + "\n";
  *out += "notevalue" + Numbers({GetNoteValue(), GetSnapGrid()}) + "\n";
  *out += "timeselection" +
          Numbers({gTimeSelection.start.tick, gTimeSelection.end.tick, gFilterLowNote, gFilterHighNote}) + "\n";
  AppendNoteColours(out);
  AppendLaneGraph(out);
  AppendCurrentTrackNotes(out);
}
