#include "editors/editor_commands.h"

#include "shell/drawing/drawing_ports.h"
#include "shell/windows/app_windows.h"

int32_t RunEditorCommand3(int32_t, int32_t) { return 0; }

int32_t RunEditorCommand4(int32_t, int32_t) { return 0; }
