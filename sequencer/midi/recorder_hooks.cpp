#include "sequencer/midi/recorder_hooks.h"

RecorderHooks gRecorderHooks{};

void DispatchRemoteAction(const RingMessage& message) {
  if (gRecorderHooks.dispatchRemoteAction) gRecorderHooks.dispatchRemoteAction(message);
}

void SetTrackMonitor(uint8_t* track, bool on) {
  if (gRecorderHooks.setTrackMonitor) gRecorderHooks.setTrackMonitor(track, on);
}
