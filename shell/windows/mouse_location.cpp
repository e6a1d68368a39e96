#include "shell/windows/mouse_location.h"

#include "platform/quickdraw/ports.h"
#include "shell/base/event_records.h"

WindowRef FindWindowAtLocalPoint(Point local, int16_t* part) {
  LocalToGlobal(&local);
  WindowRef found = nullptr;
  WindowPartCode code = FindWindow(local, &found);
  if (part) *part = int16_t(code);
  return found;
}

bool IsMouseInWindowContent(const AppWindow* w) {
  WindowRef own = GetAppWindowRef(w);
  if (!own) return false;
  int16_t part = 0;
  return FindWindowAtLocalPoint(gLastMousePoint, &part) == own && part == inContent;
}

void GlobalToLocalEventMouse() {
  gLastMousePoint = gLastEvent.where;
  GlobalToLocal(&gLastMousePoint);
}
