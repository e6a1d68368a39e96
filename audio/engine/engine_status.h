// The engine's audio status word: conditions of the audio the user is warned about. The engine
// sets the bits; the main editor shows them as status lines (and clears the frozen-track bit
// when the shown track is not frozen).
#pragma once

#include <atomic>
#include <cstdint>

enum : uint16_t {
  kAudioStatus8Bit = 0x01,
  kAudioStatusRateConverting = 0x02,
  kAudioStatusTrackFrozen = 0x04,
  kAudioStatusSoundConverter = 0x08,
  kAudioStatusFeedbackProtection = 0x10,
};
constexpr int32_t kAudioStatusBits = 5;

extern std::atomic<uint16_t> gAudioStatusWord;
