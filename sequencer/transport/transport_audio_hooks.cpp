#include "sequencer/transport/transport_audio_hooks.h"

TransportAudioHooks gTransportAudioHooks = {};

OSErr PrepareAudioForPlay(uint32_t tick) {
  return gTransportAudioHooks.prepareAudioForPlay ? gTransportAudioHooks.prepareAudioForPlay(tick) : OSErr(noErr);
}

bool IsAnyOutputActive() { return gTransportAudioHooks.isAnyOutputActive && gTransportAudioHooks.isAnyOutputActive(); }

void ReleasePluginNotes() {
  if (gTransportAudioHooks.releasePluginNotes) gTransportAudioHooks.releasePluginNotes();
}

OSErr StartAudioOutputs() {
  return gTransportAudioHooks.startAudioOutputs ? gTransportAudioHooks.startAudioOutputs() : OSErr(noErr);
}

double EngineSampleRate() {
  double rate = gTransportAudioHooks.engineSampleRate ? gTransportAudioHooks.engineSampleRate() : 0.0;
  return rate > 0.0 ? rate : 44100.0;
}

void SetEnginePlayRate(int32_t rate) {
  if (gTransportAudioHooks.setEnginePlayRate) gTransportAudioHooks.setEnginePlayRate(rate);
}

OSErr StartRecordingWhilePlaying() {
  return gTransportAudioHooks.startRecordingWhilePlaying ? gTransportAudioHooks.startRecordingWhilePlaying()
                                                          : OSErr(noErr);
}
