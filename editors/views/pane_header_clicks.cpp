#include "editors/views/pane_header_clicks.h"

#include <algorithm>
#include <cstdlib>

#include "editors/lanes/lane_columns.h"
#include "editors/lanes/lane_controllers.h"
#include "editors/note_entry/editor_clicks.h"
#include "editors/panes/drum_list_width.h"
#include "editors/panes/pane_headers.h"
#include "editors/views/track_switches.h"
#include "editors/views/view_modes.h"
#include "mixer/instrument_window/strip_values.h"
#include "platform/menus/menus.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/ports.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/library/insert_menu.h"
#include "shell/dialogs/value_drag.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_map.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_length.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

namespace {

constexpr int16_t kDrumDividerReach = 2;
constexpr int32_t kMaxLengthBars = 9999;
constexpr int32_t kLengthDigits = 4;

// The pane and its track become current; the pane keeps its scroll position.
void MakePaneCurrent(int16_t pane) {
  if (pane < 0 || pane >= gEditorPaneCount) return;
  SelectEditorPaneIndex(pane);
  SelectCurrentPaneTrack();
  gCurrentLaneNumber = int16_t(gEditorPanes[pane].lane + 1);
}

bool IsDrumView(int16_t mode) { return mode == kRowViewMode || mode == kRowViewMode2; }
bool IsTempoView() { return gCurrentViewMode == kSpecialViewMode; }
bool IsTrackPane() { return gCurrentPaneSlot == 0 && gEditorPanes[gCurrentPaneIndex].kind < kPaneKindPluginBase; }

// The field of the current pane's header strip under where (the strip holds it).
int16_t HitHeaderField(Point where, const Rect& strip) {
  int16_t line = gStandardLineHeight;
  auto in = [&](const Rect& r) { return PtInRect(where, &r) != 0; };
  if (IsDrumView(gCurrentViewMode) && std::abs(where.h - gDrumListWidth) <= kDrumDividerReach) return kHeaderHitDrumDivider;
  if (in(GetPaneHeaderCloseBox(strip, line))) return kHeaderHitRemove;
  if (in(GetPaneHeaderCollapseBox(strip, line))) return kHeaderHitCollapse;
  if (!IsTempoView()) {
    for (int16_t i = 0; i < kHeaderButtonCount; ++i)
      if (in(GetPaneHeaderButtonRect(strip, line, i))) return int16_t(kHeaderHitRecord + i);
    if (in(GetPaneHeaderColumnRect(strip, line, kHeaderLengthColumn))) return kHeaderHitLength;
    if (in(GetPaneHeaderColumnRect(strip, line, kHeaderOutputColumn))) return kHeaderHitOutput;
    if (in(GetPaneHeaderColumnRect(strip, line, kHeaderChainColumn))) return kHeaderHitInsert;
  }
  if (in(GetPaneHeaderColumnRect(strip, line, kHeaderModeColumn))) return kHeaderHitViewMode;
  if (in(GetPaneHeaderColumnRect(strip, line, kHeaderTitleColumn))) return kHeaderHitLane;
  return kHeaderHitDivider;
}

// True when a press that began in box ends inside it (no press held: where decides).
bool PressEndsInside(const Rect& box, Point where) {
  Point p = where;
  while (WaitMouseUp()) GetMouse(&p);
  return PtInRect(p, &box) != 0;
}

void RefreshPanes() {
  InvalidateTrackWindow();
  InvalidateEditorWindow();
}

void SelectPaneForClick(int16_t pane, bool extend) {
  if (pane < 0 || pane >= gEditorPaneCount) return;
  gPaneVisitMask = extend ? (gPaneVisitMask | (1u << pane)) : (1u << pane);
  MakePaneCurrent(pane);
  RefreshPanes();
}

bool IsPaneSelected(int16_t pane) { return (gPaneVisitMask >> pane) & 1u; }

bool ContentClick(int16_t pane, const EventRecord* event) {
  if (pane < 0) return true;
  if (!IsPaneSelected(pane)) {
    SelectPaneForClick(pane, event && (event->modifiers & shiftKey));
  } else if (pane != gCurrentPaneIndex) {
    MakePaneCurrent(pane);
    ResetLaneDragState();
  } else {
    MakePaneCurrent(pane);
  }
  return true;
}

void ContextClick(int16_t pane) {
  if (!IsPaneSelected(pane)) SelectPaneForClick(pane, false);
  ResetLaneDragState();
  RefreshPanes();
  // Interim: the track contextual menu is not built; the click only selects the pane.
}

// A lane view's title hands the click to the lane's own pop-up.
void LaneFieldClick(Point where) {
  int16_t mode = gCurrentViewMode;
  bool laneView = (mode >= 2 && mode <= 7) || (mode >= 10 && mode <= 14);
  if (laneView) HandleLaneTitleClick(where);
}

// The longest track's end: a song cannot be made shorter than its events.
int32_t LastEventBar() {
  uint32_t longest = 0;
  int32_t count = gCurrentSong ? SongHeaderView(gCurrentSong).TrackCount() : 0;
  for (int32_t i = 0; i < count; ++i)
    if (const uint8_t* t = GetTrackEntryAt(i)) longest = std::max(longest, TrackEntryView(const_cast<uint8_t*>(t)).TickLength());
  return std::max(TickToBarRoundedUp(int32_t(std::min<uint32_t>(longest, INT32_MAX))), 1);
}

// The dragged length becomes the track's own length: the mark is lifted for the store (a
// marked track keeps its length) and set again, so that its events no longer decide it.
void SetTrackLengthBars(int32_t bars) {
  ClearTrackLengthFlag();
  SetTrackLength(uint32_t(std::max(BarToTick(bars), 0)));
  gCurrentTrack[kTrackPlayFlags] |= kTrackPlayFlagLengthIgnoresSections;
}

void SetSongLengthFromBars(int32_t bars) {
  if (!gCurrentSong) return;
  SongHeaderView(gCurrentSong).SetBars(uint32_t(bars));
  SetSongEndTick(uint32_t(BarToTick(bars)));
  SetSongModified();
  InvalidateEditorWindow();
}

void LengthFieldClick(const Rect& strip) {
  gScratchRect = GetPaneHeaderColumnRect(strip, gStandardLineHeight, kHeaderLengthColumn);
  if (IsTrackPane()) {
    int32_t bars = TickToBarRoundedUp(int32_t(std::min<uint32_t>(GetTrackLength(), INT32_MAX)));
    TrackValueDragDefault(SetTrackLengthBars, 0, kMaxLengthBars, bars, kLengthDigits);
    return;
  }
  if (!gCurrentSong) return;
  int32_t bars = TickToBarRoundedUp(int32_t(std::min<uint32_t>(SongHeaderView(gCurrentSong).EndTick(), INT32_MAX)));
  int32_t least = LastEventBar();
  TrackValueDragDefault(SetSongLengthFromBars, least, kMaxLengthBars, std::max(bars, least), kLengthDigits);
}

void InsertFieldClick(Point where, const EventRecord* event) {
  Handle rack = GetTrackInsertRack();
  if (!rack) return;
  int32_t slot = CountChainPlugins(GetRackChainHead(rack));
  int32_t kind = event && (event->modifiers & shiftKey) ? kPluginClassAll : kPluginClassEffect;
  LocalToGlobal(&where);
  RunInsertMenu(rack, slot, kind, where);
}

// The drum column's edge follows the pointer while the button is down.
void DrumDividerDrag(Point where) {
  SetDrumColumnWidthFromPointer(where.h);
  Point p = where;
  while (WaitMouseUp()) {
    GetMouse(&p);
    SetDrumColumnWidthFromPointer(p.h);
  }
}

void RowMute() { ToggleCurrentStripMute(); }
void RowSolo() { ToggleCurrentStripSolo(); }
void TrackRecord(bool keep) { ToggleRecordArm(keep); }
void TrackPlaySwitch(bool) { PlaySwitchSelectedTracks(); }

void ColumnClick(int16_t code, int16_t pane, const EventRecord* event) {
  uint16_t mods = event ? event->modifiers : 0;
  switch (code) {
    case kHeaderHitRecord: return RunPaneColumnAction(TrackRecord, nullptr, pane, (mods & shiftKey) != 0);
    case kHeaderHitMute: return RunPaneColumnAction(MuteOrSoloSelectedTracks, RowMute, pane, (mods & optionKey) != 0);
    case kHeaderHitSolo: return RunPaneColumnAction(SoloSelectedTracks, RowSolo, pane, (mods & optionKey) != 0);
    // Interim: the instrument entry has no monitor byte yet; a row's play-switch column does nothing.
    default: return RunPaneColumnAction(TrackPlaySwitch, nullptr, pane, false);
  }
}

// The codes that act on the pane as the current one.
void PaneFieldClick(int16_t code, int16_t pane, Point where, const Rect& strip, const EventRecord* event) {
  MakePaneCurrent(pane);
  uint16_t mods = event ? event->modifiers : 0;
  switch (code) {
    case kHeaderHitLane:
      // Interim: the track pop-up (option) is not built.
      if (!(mods & optionKey) || IsTempoView()) LaneFieldClick(where);
      break;
    case kHeaderHitViewMode: RunViewModePopUp(); break;
    case kHeaderHitLength: LengthFieldClick(strip); break;
    case kHeaderHitInsert:
      if (!IsTempoView() && IsTrackPane()) InsertFieldClick(where, event);
      break;
    case kHeaderHitDrumDivider: DrumDividerDrag(where); break;
    default: break;
  }
}

}  // namespace

int16_t HitPaneHeader(Point where, const EventRecord* event, int16_t* pane) {
  *pane = -1;
  for (int16_t k = 0; k < gEditorPaneCount; ++k) {
    Rect strip;
    if ((gEditorPanes[k].flags & kPaneHidden) || !GetPaneHeaderRectOf(k, &strip) || !PtInRect(where, &strip)) continue;
    *pane = k;
    if (event && IsShowContextualMenuClick(event)) return kHeaderHitContextMenu;
    int16_t saved = gCurrentPaneIndex;
    SelectEditorPaneIndex(k);
    int16_t code = HitHeaderField(where, strip);
    SelectEditorPaneIndex(saved);
    return code;
  }
  *pane = FindEditorPaneAt(where.v);
  return kHeaderHitContent;
}

bool HandlePaneHeaderClick(Point where, EventRecord* event) {
  int16_t pane = -1;
  int16_t code = HitPaneHeader(where, event, &pane);
  if (code == kHeaderHitContent) return ContentClick(pane, event);
  if (code == kHeaderHitContextMenu) {
    ContextClick(pane);
    return false;
  }
  Rect strip;
  GetPaneHeaderRectOf(pane, &strip);
  switch (code) {
    case kHeaderHitDivider:
      if (pane > 0 && DragPaneDivider(pane, where)) InvalidateEditorWindow();
      break;
    case kHeaderHitRemove:
      if (!PressEndsInside(GetPaneHeaderCloseBox(strip, gStandardLineHeight), where)) return false;
      RemoveEditorPane(pane);
      if (gEditorPaneCount > 0) MakePaneCurrent(std::min<int16_t>(gCurrentPaneIndex, int16_t(gEditorPaneCount - 1)));
      RefreshPanes();
      return false;
    case kHeaderHitOutput:
      break;  // Interim: the track's output pop-up (the track list's) is not built
    case kHeaderHitCollapse:
      if (PressEndsInside(GetPaneHeaderCollapseBox(strip, gStandardLineHeight), where)) ToggleSinglePaneLayout(pane);
      break;
    case kHeaderHitRecord: case kHeaderHitMute: case kHeaderHitSolo: case kHeaderHitPlaySwitch:
      ColumnClick(code, pane, event);
      return false;
    default: PaneFieldClick(code, pane, where, strip, event); return false;
  }
  SelectPaneForClick(pane, false);  // after the divider, output and collapse clicks
  return false;
}

void RunPaneColumnAction(void (*trackProc)(bool), void (*rowProc)(), int16_t pane, bool flag) {
  if (pane < 0 || pane >= gEditorPaneCount) return;
  int16_t previous = gCurrentPaneIndex;
  MakePaneCurrent(pane);
  if (!IsTempoView()) {
    if (IsTrackPane()) {
      if (trackProc) trackProc(flag);
    } else if (rowProc && gCurrentPaneSlot > 0) {
      int32_t saved = gCurrentInstrument;
      gCurrentInstrument = gInstrumentCount + gCurrentPaneSlot - 1;
      rowProc();
      gCurrentInstrument = saved;
      RedrawTrackColumns();
    }
  }
  MakePaneCurrent(previous);
}

void SetDrumColumnWidthFromPointer(int16_t x) {
  if (!gCurrentSong || x < kMinDrumColumnWidth || x > kMaxDrumColumnWidth) return;
  if (gCurrentSong[kSongDrumColumnWidth] == uint8_t(x)) return;
  gCurrentSong[kSongDrumColumnWidth] = uint8_t(x);
  SetSongModified();
  UpdateDrumListWidth();
  InvalidateEditorWindow();
}

void InstallPaneHeaderClicks() {
  gEditorClickRoutes.paneHeaderClick = [](Point where, EventRecord* event) { return !HandlePaneHeaderClick(where, event); };
}
