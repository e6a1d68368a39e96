#include "shell/app/app_entry.h"

#include <cstdio>

#include "platform/events/apple_events.h"
#include "platform/quickdraw/cursors.h"
#include "platform/quickdraw/screen.h"
#include "shell/app/power_notifications.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/app/state_dump.h"
#include "song/model/song_context.h"

uint8_t gQuitFlag = 0;

void RunEventLoopUntilQuit() {
  if (gQuitFlag != 0) return;
  for (;;) {
    RunApplicationEventLoop();
    gQuitFlag = (gQuitFlag == 2) ? 0 : 1;
    if (gQuitFlag != 0) {
      // Interim: ReWire is not built, so there is no ReWire connection to close here.
      break;
    }
  }
}

namespace {

// A program without a window is of no use unless it was asked to run headless: says what is
// missing instead of running unseen.
bool HasDisplayOrSaysWhy() {
  const char* problem = GetHostWindowProblem();
  if (!problem) return true;
  std::fprintf(stderr, "zarin: %s\nzarin: set DISPLAY to the X display to show the program on, "
               "or ZARIN_HEADLESS=1 to run it without a window\n", problem);
  return false;
}

}  // namespace

int RunZarin(const std::vector<std::string>& documents) {
  if (!HasDisplayOrSaysWhy()) return 1;
  PowerRegistration power;
  StartUpApplication(40);
  InstallQuitSignalHandlers();
  if (!documents.empty()) PostOpenDocumentsEventForPaths(documents);
  else PostOpenApplicationEvent();
  RegisterSystemPower(&power);
  InitCursor();
  InstallStateDump();
  RunEventLoopUntilQuit();
  WriteStateDumpIfAsked();
  DeregisterSystemPower(&power);
  QuitApplication(0);
  return 0;
}
