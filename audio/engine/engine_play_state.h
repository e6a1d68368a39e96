// Interim: the audio engine's play state, its idle hook, and for each engine channel the
// playback position in ticks and the conductor record at which the channel stands (the
// conductor map reaches the first two through song/model/audio_engine_hooks.h). The engine
// that fills them comes with the audio engine; until then the per-channel values live beside
// the channel records.
#pragma once

#include <cstdint>

struct EngineChannel;

// 0 stopped; StopAudioEngine stores its mode; other values while the engine plays.
extern uint16_t gAudioEnginePlayState;

// The engine's idle hook (called with 0); null when none is installed.
using AudioIdleHookProc = void (*)(int32_t);
extern AudioIdleHookProc gAudioIdleHook;
// Calls the installed idle hook with 0; nothing when none is installed.
void CallIdleHook();

// A channel's place in the song: its position in ticks (f64) and the conductor record at
// which it stands (the byte offset of the record in the map, -1 none).
struct ChannelConductorPosition {
  double positionTicks = 0.0;
  int32_t conductorRecord = -1;
};
// The position record of a channel, made on first use; null for a null channel.
ChannelConductorPosition* GetChannelConductorPosition(const EngineChannel* channel);
// Forgets the position record of a channel that goes away.
void ForgetChannelConductorPosition(const EngineChannel* channel);
