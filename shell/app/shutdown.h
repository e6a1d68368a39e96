// The orderly shutdown that ends the program.
#pragma once

#include <cstdint>

// Runs the shutdown; with exitNow 0 it returns, with any other value the process ends with
// that value as its exit status. The settings and the window layout are written only when
// the start-up finished, so that a fatal stop during start-up never overwrites them with a
// half-made state; what the start-up did not make is not closed.
void QuitApplication(int16_t exitNow);

// Fills the fatal stop's hook table (shell/base/fatal_stop_hooks.h) with this shutdown and the
// power deregistration.
void InstallFatalStopHooks();
