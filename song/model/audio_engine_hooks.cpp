#include "song/model/audio_engine_hooks.h"

SongAudioEngineHooks gSongAudioEngineHooks;

namespace {
const SongAudioEngineHooks& Hooks() { return gSongAudioEngineHooks; }
}  // namespace

bool WaitForEngineToLeaveTrack(uint64_t timeoutNanos) {
  return Hooks().waitForTrack ? Hooks().waitForTrack(timeoutNanos) : true;
}

int32_t SendEngineTrackCommand(int32_t command, int32_t argument) {
  return Hooks().sendTrackCommand ? Hooks().sendTrackCommand(command, argument) : 0;
}

void StopAudioEngineChannels(int32_t mode) {
  if (Hooks().stopEngine) Hooks().stopEngine(mode);
}

uint16_t GetAudioEnginePlayState() { return Hooks().playState ? Hooks().playState() : 0; }

void CallAudioIdleHook() {
  if (Hooks().callIdleHook) Hooks().callIdleHook();
}

uint16_t GetEngineChannelInstrument(const EngineChannel* channel) {
  return Hooks().channelInstrument ? Hooks().channelInstrument(channel) : kNoEngineInstrument;
}

void SetEngineChannelInstrument(EngineChannel* channel, uint16_t instrument) {
  if (Hooks().setChannelInstrument) Hooks().setChannelInstrument(channel, instrument);
}

bool IsEngineChannelStopped(const EngineChannel* channel) {
  return Hooks().isChannelStopped ? Hooks().isChannelStopped(channel) : true;
}
