// One zoom step of the main editor's timeline: the tool bar's zoom buttons and the zoom items
// of the tools menu.
#pragma once

#include <cstdint>

enum : int16_t { kZoomIn = 0, kZoomOut = 1 };

// Non-zero (the start): a zoom step at the tick levels keeps the selection start, when it or
// the selection's last tick is visible, at the pixel it had, the left edge on the nearer bar.
extern uint8_t gKeepZoomPosition;

// The widest level: 7 at 24 ticks a quarter, 8 at 48, 9 at 96, 12 at any other resolution.
int16_t GetMaxZoomLevel();
// True when a pane shows the audio view, whose levels go below 0 (sample based).
bool IsAudioZoomAllowed();
// out 0 zooms in (one level down), 1 out; the level stays within 0 (or -6 while a pane
// allows sample zoom) .. GetMaxZoomLevel. The song keeps the level; the editor is redrawn
// when it changed. Answers the level.
int16_t ZoomEditorStep(int16_t out);
