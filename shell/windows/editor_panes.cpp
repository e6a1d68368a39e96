#include "shell/windows/editor_panes.h"

#include <algorithm>
#include <cstring>

#include "platform/controls/control_creators.h"
#include "platform/windows/windows.h"
#include "shell/base/app_state.h"
#include "shell/drawing/row_metrics.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/window_scroll_bars.h"
#include "shell/windows/window_sizing.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/model/song_bodies.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"

EditorPane gEditorPanes[kMaxEditorPanes + 1];
int16_t gEditorPaneCount = 0;
int16_t gCurrentPaneIndex = 0;
uint32_t gPaneVisitMask = 0;
int16_t gCurrentPaneSlot = 0;
int16_t gCurrentViewMode = 0;
int16_t gCurrentPaneTop = 0;
int16_t gCurrentLaneNumber = 0;
uint8_t gEditorRedrawByte = 0;
int16_t gPaneNoteOffset = 0;
int16_t gPaneViewOrigin = 0;
int16_t gPaneViewBottom = 0;
PaneSlotInfo gPaneSlots;

namespace {

constexpr int16_t kBottomInset = 15;
constexpr int16_t kPaneTitleGap = 4;

WindowRef EditorWindow() { return gMainEditorRecord.window; }

Rect EditorBounds() {
  Rect r{};
  if (WindowRef w = EditorWindow()) GetWindowPortBounds(w, &r);
  return r;
}

bool IsRowMode(int16_t mode) { return mode == kRowViewMode || mode == kRowViewMode2; }

// Notes (mode 0) and drums (the row modes); the other modes are lanes and special views.
bool IsNoteOrDrumView() { return gCurrentViewMode == 0 || IsRowMode(gCurrentViewMode); }

// The scroll bar of pane k placed from start to end (window coordinates), or hidden.
void PlacePaneScrollBar(int16_t k, int32_t start, int32_t end, const Rect& bounds) {
  ControlRef bar = gEditorPanes[k].scrollBar;
  if (!bar) return;
  int32_t height = end - start;
  if ((gEditorPanes[k].flags & kPaneHidden) || height <= 0) {
    HideControl(bar);
    return;
  }
  if (height == 46 || height == 47) height = 45;
  MoveControl(bar, int16_t(bounds.right - 15), int16_t(start - 1));
  SizeControl(bar, kPaneScrollBarWidth, int16_t(height));
  ShowControl(bar);
}

}  // namespace

bool AddEditorPane(ControlRef control, int16_t top, uint8_t track) {
  if (!control || gEditorPaneCount >= kMaxEditorPanes) return false;
  SetControlReference(control, SRefCon(intptr_t(gEditorPaneCount)));
  EditorPane& pane = gEditorPanes[gEditorPaneCount];
  pane = EditorPane();
  pane.top = uint16_t(top);
  pane.scrollBar = control;
  pane.track = track;
  pane.display = 255;
  pane.lane = gCurrentLaneNumber;
  ++gEditorPaneCount;
  gLayoutPaneCount = gEditorPaneCount;
  SelectEditorPane(int16_t(gEditorPaneCount - 1));
  return true;
}

OSErr CreateEditorPane(int16_t top, bool relayout, uint8_t track) {
  WindowRef window = EditorWindow();
  if (!window || gEditorPaneCount >= kMaxEditorPanes) return memFullErr;
  Rect bounds = EditorBounds();
  Rect bar{top, int16_t(bounds.right - kPaneScrollBarWidth), int16_t(bounds.bottom - kPaneScrollBarWidth),
           bounds.right};
  bool live = IsAppearanceThemeOn();
  ControlRef control = nullptr;
  if (CreateScrollBarControl(window, &bar, 0, 0, kPaneScrollMaximum, 0, live, nullptr, &control) != noErr || !control)
    return memFullErr;
  HideControl(control);
  if (!AddEditorPane(control, top, track)) {
    DisposeControl(control);
    return memFullErr;
  }
  if (relayout) {
    LayoutEditorPanes();
    UpdateAllPaneScrollers();
    Rect all = EditorBounds();
    InvalWindowRect(window, &all);
  }
  return noErr;
}

void SelectEditorPaneIndex(int16_t n) {
  if (gEditorPaneCount <= 0) return;  // no pane to select
  n = std::clamp<int16_t>(n, 0, int16_t(gEditorPaneCount - 1));
  gCurrentPaneIndex = n;
  EditorPane& pane = gEditorPanes[n];
  gCurrentPaneTop = int16_t(pane.top);
  int16_t masterPlusOne = int16_t(gPaneSlots.masterSlot + 1);
  if (pane.kind == kPaneKindSpecial1) {
    gCurrentPaneSlot = 0;
    gCurrentViewMode = kSpecialViewMode;
  } else if (pane.kind == kPaneKindSpecial2) {
    gCurrentPaneSlot = masterPlusOne;
    gCurrentViewMode = kMasterViewMode;
  } else if (pane.kind >= kPaneKindPluginBase) {
    gCurrentPaneSlot = int16_t(pane.kind - kPaneKindPluginBase);
    if (gCurrentPaneSlot == masterPlusOne && !gPaneSlots.masterChainPresent) pane.viewMode = kMasterViewMode;
    gCurrentViewMode = pane.viewMode;
  } else {
    gCurrentPaneSlot = 0;
    gCurrentViewMode = pane.viewMode;
  }
}

void SelectEditorPane(int16_t n) {
  if (gEditorPaneCount <= 0) return;
  SelectEditorPaneIndex(n);
  const EditorPane& pane = gEditorPanes[gCurrentPaneIndex];
  SelectTrackNumber(pane.track);
  gCurrentLaneNumber = int16_t(pane.lane + 1);
  ScrollPaneToTrackCentre();
  gEditorRedrawByte = 1;
}

int16_t GetCurrentPaneTrack() {
  if (gEditorPaneCount <= 0) return -1;
  return gEditorPanes[gCurrentPaneIndex].track;
}

void SelectCurrentPaneTrack() {
  if (gEditorPaneCount > 0) SelectTrackNumber(gEditorPanes[gCurrentPaneIndex].track);
}

int16_t GetPaneBottom(int16_t n) {
  n = std::clamp<int16_t>(n, 0, kMaxEditorPanes - 1);
  return int16_t(gEditorPanes[n + 1].top - gStandardLineHeight - kPaneTitleGap);
}

void GetPaneContentRect(int16_t n, Rect* r) {
  *r = Rect{};
  if (!EditorWindow() || n < 0 || n >= gEditorPaneCount) return;
  Rect bounds = EditorBounds();
  const EditorPane& pane = gEditorPanes[n];
  int32_t bottom = (pane.flags & kPaneHidden) ? pane.top
                                              : std::min<int32_t>(GetPaneBottom(n), bounds.bottom - kBottomInset);
  r->top = int16_t(pane.top - 1);
  r->left = bounds.left;
  r->bottom = int16_t(std::max<int32_t>(bottom, r->top));
  r->right = int16_t(bounds.right - kPaneScrollBarWidth);
}

void SetLastPaneBottom(int16_t y) { gEditorPanes[std::clamp<int16_t>(gEditorPaneCount, 0, kMaxEditorPanes)].top = uint16_t(y); }

void EnsureEditorFitsPanes() {
  WindowRef window = EditorWindow();
  if (!window) return;
  gLayoutPaneCount = gEditorPaneCount;
  Rect r = EditorBounds();
  int16_t wanted = GetEditorLayoutHeight();
  if (r.bottom - r.top > wanted) SetAppWindowSize(&gMainEditorRecord, int16_t(r.right - r.left), wanted);
}

void LayoutEditorPanes() {
  if (!EditorWindow() || gEditorPaneCount <= 0) return;
  EnsureEditorFitsPanes();
  PlaceEditorPanes();
}

void PlaceEditorPanes() {
  if (!EditorWindow() || gEditorPaneCount <= 0) return;
  Rect bounds = EditorBounds();
  int32_t bottomLimit = bounds.bottom - kBottomInset;
  int32_t firstTop = gPaneTopMargin + gStandardLineHeight + kPaneTitleGap;
  int32_t lastBottom = gStandardLineHeight + bottomLimit + kPaneTitleGap;
  bool shared = (gEditorPanes[0].flags & kPaneSharesHeight) != 0;
  gEditorPanes[0].top = uint16_t(firstTop);
  gEditorPanes[gEditorPaneCount].top = uint16_t(lastBottom);
  for (int16_t k = 0; k < gEditorPaneCount; ++k) {
    if (shared) {
      if (!(gEditorPanes[k].flags & kPaneHidden)) gEditorPanes[k].top = uint16_t(firstTop);
      PlacePaneScrollBar(k, firstTop, bottomLimit + 1, bounds);
      continue;
    }
    int32_t start = k == 0 ? firstTop : GetPaneBottom(int16_t(k - 1)) + 1;
    int32_t bottom = GetPaneBottom(k);
    if (start >= bottom) {
      PlacePaneScrollBar(k, 0, 0, bounds);
      continue;
    }
    int32_t end = std::min<int32_t>(bottom + 1, bottomLimit);
    if (k == gEditorPaneCount - 1) ++end;
    PlacePaneScrollBar(k, start, end, bounds);
  }
  InvalWindowRect(EditorWindow(), &bounds);
}

int16_t FindEditorPaneAt(int16_t v) {
  for (int16_t k = 0; k < gEditorPaneCount; ++k) {
    if (gEditorPanes[k].flags & kPaneHidden) continue;
    if (v >= gEditorPanes[k].top && v < gEditorPanes[k + 1].top) return k;
  }
  return -1;
}

int16_t GetPaneScrollValue() {
  if (gEditorPaneCount <= 0 || !gEditorPanes[gCurrentPaneIndex].scrollBar) return 0;
  return GetControlValue(gEditorPanes[gCurrentPaneIndex].scrollBar);
}

void UpdatePaneScroller() {
  if (gEditorPaneCount <= 0) return;
  ControlRef bar = gEditorPanes[gCurrentPaneIndex].scrollBar;
  if (!bar) return;
  int16_t value = GetControlValue(bar);
  if (IsRowMode(gCurrentViewMode)) {
    SelectCurrentPaneTrack();
  } else {
    int32_t y = gEditorPanes[gCurrentPaneIndex].top - gStandardLineHeight - kPaneTitleGap - gPaneTopMargin;
    value = GetPitchAtY(int16_t(std::max(y, 0)));
    SetControlValue(bar, value);
  }
  SetControlMaximum(bar, int16_t(std::max(0, kPaneScrollMaximum - value)));
  SetControlViewSize(bar, value);
}

void UpdateAllPaneScrollers() {
  if (gEditorPaneCount <= 0) return;
  int16_t current = gCurrentPaneIndex;
  for (int16_t k = 0; k < gEditorPaneCount; ++k) {
    SelectEditorPaneIndex(k);
    UpdatePaneScroller();
  }
  SelectEditorPaneIndex(current);
  SelectCurrentPaneTrack();
  UpdatePaneViewOrigin();
}

void UpdatePaneViewOrigin() {
  if (gEditorPaneCount <= 0) return;
  // Row modes keep no row map yet, so their rows start at the pane's top.
  gPaneNoteOffset = IsRowMode(gCurrentViewMode) ? 0 : int16_t(GetPaneScrollValue() * gOctaveHeight / 12);
  gPaneViewOrigin = int16_t(gEditorPanes[gCurrentPaneIndex].top - gPaneNoteOffset);
  gPaneViewBottom = int16_t(gPaneViewOrigin + gOctaveHeight);
}

void ScrollPaneToTrackCentre() {
  if (gEditorPaneCount <= 0 || IsRowMode(gCurrentViewMode)) return;
  ControlRef bar = gEditorPanes[gCurrentPaneIndex].scrollBar;
  if (!bar) return;
  int16_t maximum = GetControlMaximum(bar);
  // The track's centre row; a new track (255) and any value above the notes take the middle.
  uint8_t centre = HasValidCurrentTrack() ? gCurrentTrack[kTrackScrollByte] : 255;
  int16_t value = centre > 127 ? int16_t(maximum / 2) : int16_t(centre);
  bool songModeOne = gCurrentSong && SongHeaderView(gCurrentSong).SongMode() == 1;
  if (songModeOne && value > maximum) return;
  SetControlValue(bar, value);
}

void SetEditorPaneScrollBarsActive(bool active) {
  if (gEditorPaneCount <= 0) return;
  active = active && GetFrontAppWindow() == &gMainEditorRecord;
  uint8_t track = uint8_t(HasValidCurrentTrack() ? gCurrentTrack[kTrackNumber] : 0);
  int16_t current = gCurrentPaneIndex;
  for (int16_t k = 0; k < gEditorPaneCount; ++k) {
    SelectEditorPaneIndex(k);
    SelectCurrentPaneTrack();
    bool on = active && IsNoteOrDrumView() && !(gEditorPanes[k].flags & kPaneHidden);
    SetWindowScrollEnabled(&gMainEditorRecord, gEditorPanes[k].scrollBar, false, on ? 1 : 0);
  }
  SelectEditorPaneIndex(current);
  SelectTrackNumber(track);
}

void DeactivateEditorScrollBars() {
  SetEditorPaneScrollBarsActive(false);
  SetWindowScrollEnabled(&gMainEditorRecord, nullptr, true, 0);
}

void ResetSongPaneTable() {
  Handle table = gCurrentSong ? SongHeaderView(gCurrentSong).WindowTable() : Handle();
  if (table && IsValidHandle(table) && GetHandleSize(table) >= kPaneSize) {
    uint8_t* first = reinterpret_cast<uint8_t*>(HandleData(table));
    std::memset(first, 0, kPaneSize);
    first[kStoredPaneCountByte] = 1;
    WriteU16BE(first + kStoredPaneLane, uint16_t(gCurrentLaneNumber));
  }
  gEditorPanes[0].lane = gCurrentLaneNumber;
  gEditorPanes[0].display = 255;
}

void ClearEditorPanes() {
  for (int16_t k = 0; k < gEditorPaneCount; ++k)
    if (gEditorPanes[k].scrollBar) DisposeControl(gEditorPanes[k].scrollBar);
  for (EditorPane& pane : gEditorPanes) pane = EditorPane();
  gEditorPaneCount = 0;
  gLayoutPaneCount = 0;
  gCurrentPaneIndex = 0;
  gCurrentViewMode = 0;
  gCurrentPaneSlot = 0;
}
