// What the engine's preparation asks of live play and of audio recording: making the
// live-play track current when it plays a plug-in live, giving the armed record inputs their
// channels, preparing the record inputs around the devices' opening and ending their takes
// after the engine stopped. Installed by their
// owners when they exist; an entry not installed does nothing and answers 0 (no live-play
// track, no record inputs). Main thread only.
#pragma once

#include <cstdint>

struct EngineChannel;

struct EnginePrepareHooks {
  // When the live-play track plays a plug-in instrument live through the default instrument
  // device, makes it the current track and answers true.
  bool (*selectLivePlayTrack)();
  // Gives each armed record input whose device has input a channel on that device (while
  // fewer than 24 exist), its external source the input; 0, 116 or -108.
  int16_t (*attachRecordInputChannels)();
  // Phase 0 before the devices open, phase 1 after: marks the armed inputs, opens their
  // record files, takes the devices' block frames and the record start in samples.
  int16_t (*prepareRecordInputs)(int32_t phase);
  // After the devices stopped: ends the take of every recording input (its file completed and
  // placed on its track).
  void (*finishRecordInputs)();
};
extern EnginePrepareHooks gEnginePrepareHooks;

// Not installed: false.
bool SelectLivePlayTrack();
// Not installed: 0.
int16_t AttachRecordInputChannels();
// Not installed: 0.
int16_t PrepareRecordInputs(int32_t phase);
// Not installed: nothing.
void FinishRecordInputs();
