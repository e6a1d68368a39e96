// Set by a callback to stop whatever iterator is running; every iterator clears it first.
#pragma once

#include <cstdint>

extern uint8_t gIterationAbort;
