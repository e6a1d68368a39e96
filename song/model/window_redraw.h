// Redrawing the main windows after the song model changed.
//
// Each request invalidates the open window of its kind through gRedrawHooks
// (song/model/redraw_hooks.h) and is counted per window kind, so that callers and tests can
// see which windows an operation asked to redraw.
#pragma once

#include <cstdint>

constexpr int kWindowKindCount = 32;
extern uint32_t gRedrawRequests[kWindowKindCount];
extern uint8_t gEditorPanesDirty;

void InvalidateInfoPanel();
void InvalidateEditorWindow();
void InvalidateSongListWindow();
void InvalidateTrackWindow();
void InvalidateInstrumentWindow();
void InvalidateEditorAndLanes();
void RedrawEventListWindow();
void RedrawMarkerWindow();
void RedrawRemoteWindow();
void MarkEditorPanesDirty();
void RedrawAll(int32_t flag);
void RedrawEditorForLanes();
void RedrawEventListAndEditor();
// Shows the window of a kind and brings it to the front unless it is the front window
// already (through gRedrawHooks; nothing when not installed).
void BringWindowOfKindToFront(int16_t kind);
// The kind of the front window (0 without windows).
int16_t GetFrontWindowKind();
// The editor's rows mark the selected tracks again (through gRedrawHooks).
void NoteTrackSelectionChanged();
