#include "editors/editor_commands.h"

#include "shell/drawing/drawing_ports.h"
#include "shell/windows/app_windows.h"

int16_t gEditorZoomLevel = 0;

int16_t ZoomEditorStep(int16_t direction) {
  int16_t level = direction ? int16_t(gEditorZoomLevel + 1) : int16_t(gEditorZoomLevel - 1);
  if (level < 0 || level >= kEditorZoomSteps) return gEditorZoomLevel;
  gEditorZoomLevel = level;
  InvalAppWindowPort(GetWindowForKind(kMainEditorWindowKind));
  return level;
}

int32_t RunEditorCommand3(int32_t, int32_t) { return 0; }

int32_t RunEditorCommand4(int32_t, int32_t) { return 0; }
