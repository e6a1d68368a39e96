// The host audio driver's settings record, saved as the preferences resource 'BMID' 3019: the
// buffer size, the input source and clock source, the output pair choice, the chosen output
// device by name, input off, the frames skipped after a start, the stop delay and the audio
// mode. Stored as a 312-byte big-endian image; a stored resource larger than the record is
// ignored, a smaller one fills the record's beginning.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int16_t kCoreAudioSettingsResId = 3019;
constexpr int32_t kCoreAudioSettingsSize = 312;
constexpr uint32_t kDefaultBufferFrames = 1024;

struct CoreAudioSettings {
  uint32_t bufferFrames = kDefaultBufferFrames;
  uint32_t inputSource = 0;       // 'ssrc' of the input device
  uint32_t inputStreamsUsed = 0;  // the last stream-usage set-up enabled an input stream
  int32_t firstChannel = 0;       // outputPair = firstChannel / 2
  int32_t secondChannel = 0;
  uint32_t clockSource = 0;       // 'csrc' of the input device
  Str255 outputName = {0};        // length-prefixed name of the chosen output device
  uint8_t inputOff = 0;
  int32_t skipFrames = 0;         // 0..100000
  int32_t stopDelay = 0;          // ticks, 0..60
  uint8_t optionByte = 0;
  int32_t audioMode = 0;
};
extern CoreAudioSettings gCoreAudioSettings;

// Record image <-> fields. Reading fills the record's beginning from a shorter image and
// ignores one longer than the record (false, nothing changed); buffer frames 0 read as 1024;
// skip frames and stop delay are kept inside their ranges.
bool ReadCoreAudioSettingsImage(const uint8_t* image, int32_t size, CoreAudioSettings* settings);
void WriteCoreAudioSettingsImage(const CoreAudioSettings& settings, uint8_t image[kCoreAudioSettingsSize]);

// Loads gCoreAudioSettings from the preferences file (defaults when absent) and writes it back.
bool LoadCoreAudioSettings();
OSErr SaveCoreAudioSettings();
