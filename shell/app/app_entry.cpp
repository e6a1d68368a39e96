#include "shell/app/app_entry.h"

#include "platform/events/apple_events.h"
#include "platform/quickdraw/cursors.h"
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

int RunZarin(const std::vector<std::string>& documents) {
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
