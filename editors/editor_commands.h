// The editor commands: the track and note editors' commands of the tools menu,
// and the choice of the window that gets the periodic refresh (editors/follow).
#pragma once

#include <cstdint>

#include "editors/follow/window_refresh.h"

// The commands of tools menu items 3 and 4. Interim: the editors are not built yet; nothing
// is done and 0 is returned.
int32_t RunEditorCommand3(int32_t a, int32_t b);
int32_t RunEditorCommand4(int32_t a, int32_t b);
