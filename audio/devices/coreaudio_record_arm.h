// Arming record inputs on the host audio driver: which record inputs the IO procedures copy,
// which device channels each records, and which of the device's input streams the driver's
// procedure asks for ('suse'): a stream is on only while an armed input records a channel
// inside it.
#pragma once

#include <cstdint>

#include "platform/coreaudio/audio_types.h"

struct AudioInput;

// The stream-usage side bits.
constexpr uint32_t kUsageInputSide = 0x1;
constexpr uint32_t kUsageOutputSide = 0x2;
constexpr uint32_t kUsageBothSides = kUsageInputSide | kUsageOutputSide;

// The first record input of this driver (remembered as the IO procedures' first), and the first
// that records the program's own output; null when input is not available.
AudioInput* FindDriverRecordInput();
// Slot 15. Disarmed: in input-only state (7) the devices stop; otherwise, unless recording
// (transport flags bit 30), the driver forgets its record inputs. Armed: the driver's record
// inputs are found, idle (1) becomes input-only (7). While the input side runs the stream
// usage follows the armed inputs.
void ArmRecordInput(AudioInput* input);
// Slot 16: the input's device channels: pair `channel` (left 2 x channel, right + 1; a mono
// input records the right one), or with a negative channel the settings' first and second
// channel. 0, or 110 when the recorded channels lie beyond the input device's channels
// (nothing changed); an input of the program's own output is always accepted.
int16_t SetRecordInputChannels(AudioInput* input, int32_t channel, int32_t stereo);
// Sets the stream usage of the procedure on the device, per side in the mask (input first).
// A failure suspends audio and reports the mapped error; answers the device's result.
OSStatus UpdateStreamUsage(AudioInput* first, AudioDeviceID device, AudioDeviceIOProc proc, uint32_t mask);
