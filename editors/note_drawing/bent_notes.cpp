#include "editors/note_drawing/bent_notes.h"

#include <algorithm>

#include "editors/note_drawing/note_boxes.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "shell/base/arithmetic.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/events/seq_event.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

const int32_t* gBendColumns = nullptr;
int32_t gBendColumnCount = 0;

namespace {

constexpr int16_t kTempoLaneMode = 8;

void Segment(int32_t from, int32_t to, int32_t y) {
  MoveTo(ClampToQDRange(from), ClampToQDRange(y));
  LineTo(ClampToQDRange(to), ClampToQDRange(y));
}

void DrawBent(const uint8_t* event) {
  int64_t start = int64_t(SeqEventTime(event)) + gLoopDrawOffset;
  int32_t x0 = std::max<int32_t>(TickToClampedPixel(ClampToTickRange(start)), gTimelineFrame.originX);
  int32_t end = std::min<int32_t>(TickToClampedPixel(ClampToTickRange(start + GetNoteDuration(event))) - 1,
                                  GetMainWindowRight() - kTimelineScrollBarWidth);
  if (end < x0 + 1) return;
  int32_t range = MulDivRound(gOctaveHeight, GetCurrentPitchBendRange(), 12);
  int32_t row = PitchRowY(event[kEventData1]);
  int32_t segment = x0, offset = BendOffsetAt(x0 - gTimelineFrame.originX, range);
  for (int32_t x = x0 + 1; x <= end; ++x) {
    int32_t next = BendOffsetAt(x - gTimelineFrame.originX, range);
    if (next == offset) continue;
    Segment(segment, x - 1, row + offset);
    segment = x + 1;
    offset = next;
  }
  if (segment <= end) Segment(segment, end, row + offset);
}

}  // namespace

int32_t BendOffsetAt(int32_t column, int32_t range) {
  int32_t b = kBendCentre;
  if (gBendColumns && gBendColumnCount > 0) b = gBendColumns[std::clamp(column, 0, gBendColumnCount - 1)];
  if (b >= kBendTop - 1) b = kBendTop;
  return int32_t((int64_t(kBendCentre - b) * range) / 8192);
}

void DrawBentNote(const uint8_t* event) {
  if (AreNotesInOneColour() && IsColourScreen())
    SetOneColourFore(IsCurrentTrackSelected() && (event[kEventFlags] & kEventSelected));
  DrawBent(event);
}

void DrawBentNoteShaded(const uint8_t* event) {
  Pattern gray;
  if (IsColourScreen()) RGBForeColor(&gGhostColor);
  else PenPat(GetQDGlobalsGray(&gray));
  DrawBent(event);
}

bool IsBendDisplayOn() {
  return gCurrentSong && gCurrentTrack && gCurrentViewMode != kTempoLaneMode &&
         (gCurrentTrack[kTrackOutputFlags] & kTrackBendDisplay);
}

bool ToggleBendDisplay() {
  if (gCurrentViewMode == kTempoLaneMode || !gCurrentSong || !gCurrentTrack || gEditorPaneCount <= 0) return false;
  gCurrentTrack[kTrackOutputFlags] ^= kTrackBendDisplay;
  gEditorPanes[gCurrentPaneIndex].editorData[kPaneRedrawFlag] = 1;
  InvalAppWindowPort(&gMainEditorRecord);
  return true;
}
