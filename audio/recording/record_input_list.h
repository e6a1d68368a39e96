// The record inputs of the armed audio tracks: the list (its first record is static and
// survives every rebuild), the settings beside it, each input's default format, and the checks
// of the audio set-up window. Main thread.
#pragma once

#include <cstdint>

#include "audio/engine/record_inputs.h"

// Results.
constexpr int16_t kRecordNoDriver = -4;
constexpr int16_t kRecordBadParam = -50;
constexpr int16_t kRecordNothing = -128;
constexpr int16_t kRecordSampleSizeTooSmall = -225;
constexpr int16_t kRecordFormatDiffers = 49;
constexpr int16_t kRecordTrackRefuses = 56;

// Device ids of an input.
constexpr uint8_t kInputDeviceNone = 11;

// Sample-format codes of an input.
constexpr uint32_t kInputFormatFloat = 0x666C3332;  // 'fl32'
constexpr uint32_t kInputFormatInt24 = 0x696E3234;  // 'in24'
constexpr uint32_t kInputFormatNone = 0x4E4F4E45;   // 'NONE'

// The settings beside the list: the record buffer size in bytes, the number of record buffers
// (at most 8), the pre-allocation in megabytes (0: from the record span), and the latency base
// (frames) and factor (per device buffer) added to a take's latency; the default channel
// count, rate and sample size of inputs after the first.
struct RecordSettings {
  uint32_t bufferBytes = 61440;
  int32_t bufferCount = 4;
  uint32_t preallocMegabytes = 0;
  int32_t latencyBase = 0;
  int32_t latencyFactor = 0;
  int16_t channels = 1;
  float sampleRate = 44100.0f;
  int16_t sampleBits = 16;
};
extern RecordSettings gRecordSettings;

// The head of the list: gRecordInputs points at it once the list is set up.
extern AudioInput gStaticRecordInput;
// The track that was current when the list was set up; finishing a recording goes back to it.
extern int32_t gRecordHomeTrack;

// The format code of a sample size: 'fl32' above 24 bits, 'in24' for 17 to 24, else 'NONE'.
uint32_t InputFormatForBits(int32_t bits);
// The driver of a device id, else of the default device; null when neither has one.
struct AudioDriverOps;
AudioDriverOps* FindInputDriver(int32_t deviceId);
// Gives the input the device's default format and its buffer size (SetDefaultInputFormat);
// 0, -50 (no driver) or -225 (sample size below 8).
int16_t SetDefaultInputFormat(AudioInput* input, int32_t deviceId);
// The largest whole number of device buffers that fits the record buffer setting, in bytes.
uint32_t RecordBufferSizeFor(uint32_t deviceBufferBytes);
// Rebuilds the list for the record-enabled audio tracks of the current song.
int16_t SetupRecordInputs(int32_t armedCount, int32_t recordTrack, bool midi);
// The input of the track with that index (the first of a start preferred); null when none.
AudioInput* FindRecordInputForTrack(int32_t trackIndex);
// Unlinks the input from the engine, frees its buffers, and closes and deletes a file it made.
void DisposeRecordInput(AudioInput* input);
// DisposeRecordInput for all; every input but the static one is freed.
void DisposeAllRecordInputs();
// Gives an input the device pair it records (-1: the driver's chosen channels); 0 or 110.
int16_t SetRecordInputPair(AudioInput* input, int32_t pair);
// The set-up window's checks: two inputs on one device whose direct-input flag and channels
// overlap (a stereo input counts its second channel too); whether an input uses the channel.
bool RecordInputsConflict(const AudioInput* a, const AudioInput* b);
bool IsInputChannelUsed(int32_t channel);
