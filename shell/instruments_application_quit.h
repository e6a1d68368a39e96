// The orderly shutdown that ends the program.
#pragma once

#include <cstdint>

// Runs the shutdown; with exitNow 0 it returns, with any other value the process ends with
// that value as its exit status.
void QuitApplication(int16_t exitNow);
