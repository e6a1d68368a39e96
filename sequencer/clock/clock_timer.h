// The sequencer clock's timer as the preferences see it. The clock mode (0..3) says which
// timer drives the clock; the two timer operations are the clock's (playback_control.cpp).
#pragma once

#include <cstdint>

extern uint8_t gClockMode;
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
