// What the idle pass's transport follower starts and resets: play, record and cycle passes,
// the start tick, the transport options, varispeed, the locator-memory buttons and the audio
// preparation at the locate point. Main thread only.
#pragma once

#include <cstdint>

// ResetPlaybackRate, which the follower uses when varispeed ends.
#include "sequencer/transport/varispeed.h"

// Plays from the locate point: the pass's own idle task (EndOfSongTask) is pushed above the
// caller's end task.
void StartPlayTasks();
// Records from the locate point (the Record command; a punch-in while the transport plays).
void StartRecordTasks();
// Plays the range between the left and right locators (the clock's play range) in cycle.
// Equal locators report application text 5 and start nothing.
void StartCycleTasks();

// Stores tick as the clock's start tick; with cycle set it is folded into the cycle range.
void SetTransportStartTick(uint32_t tick);

// The varispeed state word; bit 0x4 keeps varispeed on while the request byte's varispeed
// bit is set.
extern uint16_t gVarispeedState;
bool IsVarispeedHeld();

// Toggles bit n (0..7) of the transport's option byte; the info panel shows it again.
void ToggleTransportOption(int16_t n);
// Bits 0..3 name locator-memory buttons 0..3, bit 4 the store button: the info panel that
// shows them is redrawn.
void InvalidateLocatorButtons(uint32_t bits);

// Prepares the audio engine at the locate point; a failure is reported.
void PrepareAudioAtLocatePoint();
