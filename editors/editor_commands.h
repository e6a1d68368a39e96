// The editor commands: the track and note editors' commands and zoom steps of the tools menu,
// and the choice of the window that gets the periodic refresh.
#pragma once

#include <cstdint>

constexpr int16_t kEditorZoomSteps = 11;  // zoom levels 0..10

// The main editor's horizontal zoom level, 0 (widest view) .. 10.
extern int16_t gEditorZoomLevel;
// The kind of the window that gets the periodic refresh (0: none).
extern int16_t gRefreshWindowKind;

// One zoom step of the main editor: out (0) or in (1); the level stays within 0..10 and the
// editor is redrawn when it changed. Returns the new level.
int16_t ZoomEditorStep(int16_t direction);
// The commands of tools menu items 3 and 4. Interim: the editors are not built yet; nothing
// is done and 0 is returned.
int32_t RunEditorCommand3(int32_t a, int32_t b);
int32_t RunEditorCommand4(int32_t a, int32_t b);
// Picks the refresh window after a refresh-mode change: the main editor when it is shown,
// else the track window when it is shown, else none.
void ChooseRefreshWindow();
