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

// The playing flag when Return was pressed: the transport keeps running after the locate of
// the Return key's request.
extern uint8_t gWasPlayingAtReturn;
// How the locate request locates: 0 through the Return key's locate (which shows the start in
// the windows that follow it), otherwise straight to tick 1.
extern uint8_t gLocateRequestMode;

bool IsTransportPlaying();
// Stopped: asks for play at the locate point; playing: asks for a stop (the ticks are halted
// at once). The idle pass's transport follower acts on the request.
void TogglePlayStop();
// Sets bit n of the transport request byte (sequencer/transport/transport_requests.h): 2 record,
// 3 stop and locate (Return), 4 cycle (the 'C' key). A playing transport is asked to stop first.
void SetTransportRequest(int16_t n);
// The locate of the follower's locate request.
void RunLocateRequest(uint8_t mode);
void ReturnKeyAction();
void LocateAndShowInWindows(uint32_t tick, uint32_t kindMask);
// The first bar line after the song position, and the bar line at or before the position
// less one tick.
uint32_t NextBarLineTick(uint32_t position);
uint32_t PreviousBarLineTick(uint32_t position);
