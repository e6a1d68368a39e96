#include "shell/app/program_hooks.h"

#include "shell/app/app_events.h"
#include "shell/app/shutdown.h"
#include "shell/dialogs/dialog_alerts.h"
#include "shell/menus/menu_state.h"

void InstallProgramHooks() {
  // Each layer's installer below fills the tables of the layers under it.
  InstallErrorReportHooks();
  InstallFatalStopHooks();
  InstallEventDispatchHooks();
  InstallWindowMenuHooks();
}
