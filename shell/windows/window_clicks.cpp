#include "shell/windows/window_clicks.h"

namespace {

WindowClickProc gClickProcs[kLastWindowKind + 1] = {};

}  // namespace

void SetWindowClickProc(int16_t kind, WindowClickProc proc) {
  if (kind >= 0 && kind <= kLastWindowKind) gClickProcs[kind] = proc;
}

int32_t RunWindowClickProc(AppWindow* w, Point local, EventRecord* event) {
  int16_t kind = GetAppWindowKind(w);
  if (kind < 0 || kind > kLastWindowKind || !gClickProcs[kind]) return 1;
  return gClickProcs[kind](w, local, event);
}
