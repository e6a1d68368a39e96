// What the transport asks of the audio engine when it plays: preparing the engine's channels
// at the locate point, whether an output device is open and active (then the device's sample
// clock drives the song position), and starting the outputs with the clock. Stopping the
// engine goes through the song model's engine hooks (StopAudioEngineChannels). Installed by
// the audio engine at start-up (InstallAudioHooks); an entry not installed gives the answer
// of a program without audio: nothing to prepare or start (0), no output active.
// Main thread only.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct TransportAudioHooks {
  // Prepares the engine to play from the tick (1-based); 0 or the engine's error.
  OSErr (*prepareAudioForPlay)(uint32_t tick);
  // True when an output device has engine channels and is active.
  bool (*isAnyOutputActive)();
  // Starts every active output device that has channels; 0.
  OSErr (*startAudioOutputs)();
  // The plug-in instruments' sounding notes end at the start of their next block (a locate).
  void (*releasePluginNotes)();
  // The engine's sample rate (frames a second), for the audio position as real time.
  double (*engineSampleRate)();
  // The engine's play rate (16.16, 0x10000 normal; 0 freezes) handed to the output devices.
  void (*setEnginePlayRate)(int32_t rate);
  // A record pass started while the song plays: the armed audio tracks start their takes now
  // (at a start from the stop they start with the engine); 0 or the first error.
  OSErr (*startRecordingWhilePlaying)();
};
extern TransportAudioHooks gTransportAudioHooks;

// Not installed: 0.
OSErr PrepareAudioForPlay(uint32_t tick);
// Not installed: false.
bool IsAnyOutputActive();
// Not installed: 0.
OSErr StartAudioOutputs();
// Not installed: nothing.
void ReleasePluginNotes();
// Not installed: 44100.
double EngineSampleRate();
// Not installed: nothing.
void SetEnginePlayRate(int32_t rate);
// Not installed: 0 (nothing records audio).
OSErr StartRecordingWhilePlaying();
