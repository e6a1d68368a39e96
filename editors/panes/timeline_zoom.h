// One zoom step of the main editor: the tool bar's zoom buttons and the zoom items of the tools
// menu change the timeline's level, or with option the height of the note rows; the song keeps
// both and shows them again when it becomes current.
#pragma once

#include <cstdint>

#include "editors/panes/zoom_hooks.h"

enum : int16_t { kZoomIn = 0, kZoomOut = 1 };
constexpr int16_t kMaxVerticalZoomIndex = 10;

// Non-zero (the start): a step keeps a visible selection start at the pixel it had.
extern uint8_t gKeepZoomPosition;
// The song's two zoom bytes as last stored or read (horizontal level as a signed byte).
extern uint8_t gSongZoomMirror;
extern uint8_t gSongVerticalZoomMirror;

// The widest level: 7 at 24 ticks a quarter, 8 at 48, 9 at 96, 12 at any other resolution.
int16_t GetMaxZoomLevel();
// True when a pane shows a view that allows the sample levels (the audio views).
bool IsAudioZoomAllowed();
// A left edge rounded by the time display format (gTrackTimeFormat): 1 to the nearest frame,
// 2 to the nearest second of the counter, 4 not at all, any other to the nearer bar line.
int32_t RoundLeftEdgeByTimeFormat(int32_t tick);
// out 0 zooms in (one level down), 1 out; with option the note rows grow (in) or shrink (out)
// instead. The level stays within 0 (or -6 while a pane allows sample zoom) ..
// GetMaxZoomLevel; a visible selection start keeps its pixel. The song stores the scroll
// value and both zooms; the editor and the track window are redrawn. Answers the level.
int16_t ZoomEditorStep(int16_t out);
// The current song's stored zooms become the editor's (a song that stored none keeps the
// editor's as they are); called when a song becomes current.
void ApplySongZoom();
