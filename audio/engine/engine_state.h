// The audio engine's program-wide state: the channel slots that playback prepared, the master
// level, the engine's sample clock, its latched error and flags, and its sample rate. One
// record, never stored.
//
// Threads: the main thread prepares and releases the slots, sets the rate and the master
// level, and holds or releases the workers; the engine thread (or the output procedure when it
// mixes inline) reads them while playing and advances the sample clock. Any engine, disk or
// device thread may latch an error; the main thread takes it. The words that more than one
// thread writes are atomic.
#pragma once

#include <atomic>
#include <cstdint>

struct EngineChannel;

constexpr int32_t kEngineChannelSlots = 24;   // song playback
constexpr int32_t kJukeboxChannelSlot = 24;   // the 25th slot

// flags bits.
constexpr uint8_t kEngineWorkersHeld = 0x02;

struct AudioEngineState {
  // Main thread (prepare, dispose); the mix reads the lists while playing.
  EngineChannel* channelLists[kEngineChannelSlots + 1] = {};
  int32_t channelCount = 0;                // main thread
  int32_t masterLevel = 4096;              // main thread writes, the mix reads; 4096 = unity
  std::atomic<int64_t> sampleClock{0};     // the main thread sets it before playback; the
                                           // engine thread or the output procedure advances it
  std::atomic<int16_t> error{0};           // the first error latched by any thread; the main
                                           // thread takes it
  std::atomic<uint8_t> flags{0};           // main thread sets; the output path and mix read
  float sampleRate = 44100.0f;             // main thread, while the engine is stopped
  double msPerSample = 1000.0 / 44100.0;   // main thread, with sampleRate
};

extern AudioEngineState gAudioEngine;

// The names the program uses for its fields.
// The channel slots: 24 for song playback, then the jukebox slot.
inline EngineChannel* (&gEngineChannelLists)[kEngineChannelSlots + 1] = gAudioEngine.channelLists;
inline int32_t& gEngineChannelCount = gAudioEngine.channelCount;
inline int32_t& gMasterLevel = gAudioEngine.masterLevel;
inline std::atomic<int64_t>& gEngineSampleClock = gAudioEngine.sampleClock;
inline std::atomic<int16_t>& gEngineError = gAudioEngine.error;
inline std::atomic<uint8_t>& gEngineFlags = gAudioEngine.flags;
inline float& gEngineSampleRate = gAudioEngine.sampleRate;
inline double& gEngineMsPerSample = gAudioEngine.msPerSample;
