#include "editors/main_editor_window.h"

#include "editors/follow/play_cursor.h"
#include "editors/lanes/lane_drawing.h"
#include "editors/panes/pane_scrolling.h"
#include "editors/panes/pane_stack.h"
#include "editors/panes/selection_hilite.h"
#include "editors/panes/timeline_scrolling.h"
#include "editors/rulers/bar_ruler.h"
#include "editors/rulers/marker_strip.h"
#include "editors/timeline/timeline_axis.h"
#include "editors/note_entry/editor_clicks.h"
#include "editors/note_entry/note_readout.h"
#include "editors/toolbar/child_sequence_button.h"
#include "editors/toolbar/tool_buttons.h"
#include "editors/toolbar/toolbar_fields.h"
#include "editors/toolbar/toolbar_layout.h"
#include "editors/toolbar/toolbar_pictures.h"
#include <algorithm>

#include "platform/controls/controls.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/colors.h"
#include "platform/quickdraw/drawing.h"
#include "platform/quickdraw/pens.h"
#include "platform/quickdraw/ports.h"
#include "platform/windows/windows.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/editor_panes.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

namespace {

bool gPanesScrolled = false;

// The highest note of the current track, -1 without notes.
int32_t HighestNote() {
  Handle h = gCurrentTrack ? TrackEntryView(gCurrentTrack).EventList() : Handle();
  const uint8_t* list = h ? reinterpret_cast<const uint8_t*>(HandleData(h)) : nullptr;
  uint32_t size = list ? uint32_t(std::max<Size>(GetHandleSize(h), 0)) : 0;
  int32_t highest = -1;
  for (uint32_t at = 0, length; at + kShortEventSize <= size && SeqEventTime(list + at) != 0; at += length) {
    if ((length = SeqEventLengthWithin(list + at, size - at)) == 0) break;
    if (SeqEventKind(list + at) == kKindNote) highest = std::max<int32_t>(highest, list[at + kEventData1]);
  }
  return highest;
}

// Interim: a pane made for a song takes no stored row of its track; once per song each pane is
// scrolled so that its track's highest note lies in the top octave shown.
void ScrollPanesToNotes() {
  if (gPanesScrolled) return;
  gPanesScrolled = true;
  for (int16_t k = 0; k < gEditorPaneCount; ++k) {
    SelectEditorPaneIndex(k);
    SelectCurrentPaneTrack();
    int32_t highest = HighestNote();
    ControlRef bar = gEditorPanes[k].scrollBar;
    if (highest < 0 || !bar) continue;
    SetControlMaximum(bar, kPaneScrollMaximum);
    SetControlValue(bar, int16_t(std::clamp(12 * ((143 - highest) / 12), 0, int32_t(kPaneScrollMaximum))));
  }
}

// Interim: the view-mode commands that add panes are not built; a song gets one pane.
void EnsurePaneForCurrentTrack() {
  if (gEditorPaneCount > 0 || !gCurrentSong || !gCurrentTrack || ReadU16BE(gCurrentSong + kSongTrackCount) == 0) return;
  uint8_t number = TrackEntryView(gCurrentTrack).Number();
  if (number == kNoTrackNumber) return;
  CreateEditorPane(int16_t(gPaneTopMargin + gStandardLineHeight + 4), true, number);
}

}  // namespace

void ForgetEditorPaneScrolls() { gPanesScrolled = false; }

void DrawEditorPanesAndRulers(bool withBackgrounds) {
  int16_t current = gCurrentPaneIndex;
  if (withBackgrounds && gEditorPaneCount > 0) DrawAllPaneBackgrounds();
  DrawMarkerStrip(-1);
  DrawMainRuler();
  if (gEditorPaneCount > 0) {
    DrawAllPanes(current, true);
    SelectEditorPaneIndex(current);
    SelectCurrentPaneTrack();
  }
  ClipToPortBounds();
  PenNormal();
  ForeColor(blackColor);
  MoveTo(0, int16_t(gPaneTopMargin - 1));
  LineTo(GetMainWindowRight(), int16_t(gPaneTopMargin - 1));
}

void DrawMainEditorWindow() {
  if (!gMainEditorRecord.window) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  FocusAppWindow(&gMainEditorRecord);
  EnsurePaneForCurrentTrack();
  Rect window{};
  GetWindowPortBounds(gMainEditorRecord.window, &window);
  LayoutEditorToolbar(window);
  InstallPaneScrollActions();
  UpdateEditorScrollBar();
  if (gEditorPaneCount > 0) {
    int16_t current = gCurrentPaneIndex;
    ScrollPanesToNotes();
    SelectEditorPaneIndex(current);
  }
  DrawEditorPanesAndRulers(true);
  if (gEditorPaneCount > 0) HiliteSelectionInPanes();
  // The tool bar is drawn when the layout leaves it its height above the strips.
  bool toolbarShown = gEditorLayout.toolbar.bottom - gEditorLayout.toolbar.top >= kToolStripHeight;
  ShowOrHideChildSequenceButton(toolbarShown);
  if (toolbarShown) {
    Point origin = GetToolbarOrigin();
    gEditorToolbarLeft = origin.h;  // the clicks test the cells where they are drawn
    gEditorToolbarTop = origin.v;
    gNoteReadoutBox = GetReadoutBoxRect();
    DrawToolbarPictures();
    DrawToolButtons();
    DrawToolbarFields(false);
    DrawLaneTitle();
    DrawNoteReadout(gReadoutLastTime, gReadoutLastValue, kNoReadoutEnd, kNoReadoutVelocity);
  } else {
    gNoteReadoutBox = Rect{0, 0, 0, 0};
  }
  DrawAudioStatusLines();
  RestorePlayCursors();  // each pane's last step: its play cursor stands again where it was
  if (saved) SetPort(saved);
}

void RedrawEditorRulers() {
  if (!gMainEditorRecord.window) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  FocusAppWindow(&gMainEditorRecord);
  DrawMarkerStrip(-1);
  DrawMainRuler();
  if (saved) SetPort(saved);
}
