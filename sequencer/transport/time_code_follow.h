// Following received MIDI time code on the main thread: while the transport is stopped, each
// completed time code takes the program to the received frame rate and locates the song to
// the received time (the counters follow a recorder that is wound or parked); when a pass
// starts on time code, the song starts where the reference is.
#pragma once

#include <cstdint>

// The idle step: acts on the time codes completed since the last call.
void FollowReceivedTimeCode();
// Locates to the received position (subframes from the song's start) and makes it the clock's
// real-time position. Answers false when nothing was received.
bool LocateToReceivedTimeCode();
