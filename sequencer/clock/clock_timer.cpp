#include "sequencer/clock/clock_timer.h"

#include "platform/system/gestalt.h"

uint8_t gClockTimerMarked = 0;
uint8_t gClockTimerInstalled = 0;
uint8_t gTransportUsesIdleClock = 1;

// ShutDownClockTimer and ReinstallIdleClockTimer: playback_control.cpp.

void ShutDownTimerForMode(int32_t mode) {
  if (mode == 3) {
    ShutDownClockTimer();
    return;
  }
  SInt32 version = 0;
  if (Gestalt(gestaltTimeMgrVersion, &version) == noErr && version > 2) {
    ShutDownClockTimer();
    gClockTimerMarked = 1;
  }
}

void ReinstallIdleClockIfUsed() {
  if (gTransportUsesIdleClock) ReinstallIdleClockTimer();
}
