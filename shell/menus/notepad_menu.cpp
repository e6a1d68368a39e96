#include "shell/menus/notepad_menu.h"

#include "shell/drawing/drawing_ports.h"
#include "shell/windows/app_windows.h"

int16_t gNotepadJustification = kJustLeft;

void HandleJustificationMenu(int16_t item) {
  static constexpr int16_t kJust[] = {0, kJustLeft, kJustCentre, kJustRight};
  if (item < 1 || item > 3) return;
  AppWindow* notepad = GetWindowForKind(kNotepadKind);
  WindowRef window = GetAppWindowRef(notepad);
  if (!window || (FrontWindow() != window && GetFrontDocWindow() != window)) return;
  gNotepadJustification = kJust[item];
  InvalAppWindowPort(notepad);
}
