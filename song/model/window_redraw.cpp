#include "song/model/window_redraw.h"

#include "song/model/redraw_hooks.h"

uint32_t gRedrawRequests[kWindowKindCount];
uint8_t gEditorPanesDirty = 0;
RedrawHooks gRedrawHooks;

namespace {

constexpr int kSongListKind = 2;
constexpr int kInfoPanelKind = 3;
constexpr int kEditorKind = 4;
constexpr int kTrackKind = 5;
constexpr int kInstrumentKind = 6;
constexpr int kEventListKind = 7;
constexpr int kConductorListKind = 8;
constexpr int kRemoteKind = 9;
constexpr int kMarkerKind = 11;

void Request(int kind) {
  ++gRedrawRequests[kind];
  if (gRedrawHooks.invalidateWindowOfKind) gRedrawHooks.invalidateWindowOfKind(int16_t(kind));
}

}  // namespace

void InvalidateInfoPanel() { Request(kInfoPanelKind); }
void InvalidateEditorWindow() { Request(kEditorKind); }
void InvalidateSongListWindow() { Request(kSongListKind); }
void InvalidateTrackWindow() { Request(kTrackKind); }
void InvalidateInstrumentWindow() { Request(kInstrumentKind); }
void InvalidateEditorAndLanes() { Request(kEditorKind); }
void RedrawEventListWindow() { Request(kEventListKind); }
void RedrawMarkerWindow() { Request(kMarkerKind); }
void RedrawRemoteWindow() { Request(kRemoteKind); }

void MarkEditorPanesDirty() { gEditorPanesDirty = 1; }

void RedrawAll(int32_t flag) {
  MarkEditorPanesDirty();
  Request(kEditorKind);
  Request(kEventListKind);
  Request(kConductorListKind);
  if (flag) Request(kTrackKind);
}

void RedrawEditorForLanes() { Request(kEditorKind); }

void RedrawEventListAndEditor() {
  RedrawEventListWindow();
  RedrawEditorForLanes();
}

void BringWindowOfKindToFront(int16_t kind) {
  if (gRedrawHooks.bringWindowToFront) gRedrawHooks.bringWindowToFront(kind);
}

int16_t GetFrontWindowKind() {
  return gRedrawHooks.frontWindowKind ? gRedrawHooks.frontWindowKind() : 0;
}

void NoteTrackSelectionChanged() {
  if (gRedrawHooks.trackSelectionChanged) gRedrawHooks.trackSelectionChanged();
}
