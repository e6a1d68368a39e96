// What the MIDI recorder hands to subsystems above the sequencer: remote-control actions that
// arrive as ring messages of status 0xFD, and the input monitor of an audio track at punch in
// and out. Interim: neither is installed yet; actions are dropped and monitors stay as they are.
#pragma once

#include <cstdint>

struct RingMessage;

struct RecorderHooks {
  void (*dispatchRemoteAction)(const RingMessage& message);
  void (*setTrackMonitor)(uint8_t* track, bool on);
};
extern RecorderHooks gRecorderHooks;

void DispatchRemoteAction(const RingMessage& message);
// The current song's track entry: its audio channel's monitor on or off.
void SetTrackMonitor(uint8_t* track, bool on);
