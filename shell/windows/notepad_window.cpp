#include "shell/windows/notepad_window.h"

#include "platform/quickdraw/ports.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/windows/app_windows.h"

void InvalidateNotepadWindow() {
  AppWindow* w = GetWindowForKind(kNotepadKind);
  if (!GetAppWindowRef(w)) return;
  GrafPtr saved = nullptr;
  GetPort(&saved);
  FocusAppWindow(w);
  LoadAppWindowContentRect(w);
  gScratchRect.right = int16_t(gScratchRect.right + 15);
  InvalScratchRect();
  if (saved) SetPort(saved);
}
