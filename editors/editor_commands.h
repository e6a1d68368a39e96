// The editor commands: the track and note editors' commands and zoom steps of the tools menu,
// and the choice of the window that gets the periodic refresh (editors/follow).
#pragma once

#include <cstdint>

#include "editors/follow/window_refresh.h"

constexpr int16_t kEditorZoomSteps = 11;  // zoom levels 0..10

// The main editor's horizontal zoom level, 0 (widest view) .. 10.
extern int16_t gEditorZoomLevel;

// One zoom step of the main editor: out (0) or in (1); the level stays within 0..10 and the
// editor is redrawn when it changed. Returns the new level.
int16_t ZoomEditorStep(int16_t direction);
// The commands of tools menu items 3 and 4. Interim: the editors are not built yet; nothing
// is done and 0 is returned.
int32_t RunEditorCommand3(int32_t a, int32_t b);
int32_t RunEditorCommand4(int32_t a, int32_t b);
