// The sequencer clock's timer. The clock mode (0..3, a preference: gClockMode) says which
// timer drives the clock; the two timer operations are the clock's (playback_control.cpp).
#pragma once

#include <cstdint>

#include "song/prefs/preferences_writer.h"

// Set when the timer was shut down for a mode change on a Time Manager above version 2.
extern uint8_t gClockTimerMarked;
// The timer is installed (the idle clock procedure runs).
extern uint8_t gClockTimerInstalled;
// The transport runs from the idle clock timer.
extern uint8_t gTransportUsesIdleClock;

// Sends the held notes' note-offs and removes the clock's timer task.
void ShutDownClockTimer();
// Installs the idle clock procedure again (internal clock only).
void ReinstallIdleClockTimer();

// For a change to clock mode (0..3): mode 3 shuts the timer down; other modes shut it down
// and mark it on a Time Manager above version 2. The preferences' StopClockTimerForMode.
void ShutDownTimerForMode(int32_t mode);
// Installs the idle clock procedure again when the transport runs from it. The preferences'
// RestartIdleClockTimer.
void ReinstallIdleClockIfUsed();
