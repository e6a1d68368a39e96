#include "sequencer/clock/clock_timer.h"

uint8_t gClockMode = 1;
uint8_t gClockTimerMarked = 0;
uint8_t gClockTimerInstalled = 0;
uint8_t gTransportUsesIdleClock = 1;

// ShutDownClockTimer and ReinstallIdleClockTimer: playback_control.cpp.
