// The keys that drive the transport from the main windows: play and stop, the transport
// requests, locating to the song's start and end and to bar lines, and showing the located
// position in the windows that follow it.
#pragma once

#include <cstdint>

#include "editors/note_moves/follow_hold.h"

// Window kinds 4, 5, 7, 8, 11 and 15.
constexpr uint32_t kEditorWindowKindsMask = 0x89b0;
// In a LocateAndShowInWindows mask: the main editor centres on the position.
constexpr uint32_t kCentreEditorOnLocate = 1u << 24;

// The requests a key leaves for the transport (bit n: SetTransportRequest (n)): 2 record,
// 3 stop and return, 4 the 'C' key's request. Nothing takes 2 and 4 yet.
extern uint8_t gTransportRequests;
// The playing flag when Return was pressed.
extern uint8_t gWasPlayingAtReturn;

bool IsTransportPlaying();
// Stopped: playback starts at the locate point; playing: the ticks are halted, so that the
// clock stops at its next tick.
void TogglePlayStop();
void SetTransportRequest(int16_t n);
void ReturnKeyAction();
void LocateAndShowInWindows(uint32_t tick, uint32_t kindMask);
// The first bar line after the song position, and the bar line at or before the position
// less one tick.
uint32_t NextBarLineTick(uint32_t position);
uint32_t PreviousBarLineTick(uint32_t position);
