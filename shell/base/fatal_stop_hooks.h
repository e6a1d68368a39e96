// What the fatal stop asks of the application before the process ends: giving up the power
// notifications and the orderly shutdown. Installed by the application at start-up
// (InstallFatalStopHooks in shell/app/shutdown.h); an entry not installed does nothing, and
// the fatal stop then ends the process itself with status 1.
#pragma once

#include <cstdint>

struct FatalStopHooks {
  // Deregisters the power notifications made last, if still active. Main thread.
  void (*deregisterActiveSystemPower)();
  // The orderly shutdown; with a non-zero exitNow it ends the process with that status.
  // Main thread.
  void (*quitApplication)(int16_t exitNow);
};
extern FatalStopHooks gFatalStopHooks;
