// What the song model asks of the audio engine: waiting while it works on a track, the track
// commands, stopping it, its play state and idle hook, and the instrument each of its
// channels plays. Installed by the audio engine at start-up (InstallAudioHooks); an entry not
// installed does nothing: there is no engine to wait for, stop or ask.
#pragma once

#include <cstdint>

struct EngineChannel;

// The instrument index of an engine channel that plays none.
constexpr uint16_t kNoEngineInstrument = 0xFFFF;

struct SongAudioEngineHooks {
  // Waits, at most timeoutNanos, while the engine is busy with a track; false when it did not
  // leave it in time. Main thread.
  bool (*waitForTrack)(uint64_t timeoutNanos);
  // Posts a command for the current track; 0 when the engine agrees. Main thread.
  int32_t (*sendTrackCommand)(int32_t command, int32_t argument);
  // Stops every engine channel (mode 1 holds them in place). Main thread.
  void (*stopEngine)(int32_t mode);
  // 0 stopped; other values while the engine plays. Any thread.
  uint16_t (*playState)();
  // Calls the engine's idle hook with 0. Main thread.
  void (*callIdleHook)();
  // The instrument an engine channel plays, and setting it. Main thread.
  uint16_t (*channelInstrument)(const EngineChannel* channel);
  void (*setChannelInstrument)(EngineChannel* channel, uint16_t instrument);
  // True when the channel is being stopped.
  bool (*isChannelStopped)(const EngineChannel* channel);
};
extern SongAudioEngineHooks gSongAudioEngineHooks;

// Not installed: nothing to wait for; answers true.
bool WaitForEngineToLeaveTrack(uint64_t timeoutNanos);
// Not installed: agreed; answers 0.
int32_t SendEngineTrackCommand(int32_t command, int32_t argument);
// Not installed: nothing.
void StopAudioEngineChannels(int32_t mode);
// Not installed: stopped; answers 0.
uint16_t GetAudioEnginePlayState();
// Not installed: nothing.
void CallAudioIdleHook();
// Not installed: kNoEngineInstrument, and nothing is set.
uint16_t GetEngineChannelInstrument(const EngineChannel* channel);
void SetEngineChannelInstrument(EngineChannel* channel, uint16_t instrument);
// Not installed: true (no engine runs the channel).
bool IsEngineChannelStopped(const EngineChannel* channel);
