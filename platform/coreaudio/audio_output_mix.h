// The system output mix: sound that is not the program's IO procedures (the built-in
// General MIDI synth) added to a device's output after the procedures ran, every buffer.
#pragma once

#include "platform/coreaudio/audio_types.h"

// Renders frames frames into left and right, which are zeroed before the call; the result is
// added to the device's first two output channels (to its only channel, halved, on a mono
// device). firstFrameHostTime is the host time at which the buffer's first frame is heard
// (the output time stamp of the buffer), so that timed events land on their frames. Runs on
// the device's real-time thread: no allocation, no locks, no waiting.
//
// The built-in synth is registered with a two-line adapter:
//   void RenderSynth(float* l, float* r, UInt32 n, Float64 rate, UInt64 at, void*) {
//     RenderBuiltInSynthAt(l, r, n, rate, at);
//   }
using AudioOutputContributorProc = void (*)(float* left, float* right, UInt32 frames, Float64 sampleRate,
                                            UInt64 firstFrameHostTime, void* context);

// Up to 8 contributors per device; the same pair twice answers 'nope'. A device with a
// contributor keeps running even while none of its IO procedures is started (its 'goin'
// still follows the procedures only). After Remove returns the contributor is not running
// and will not be called again.
OSStatus AddDeviceOutputContributor(AudioDeviceID device, AudioOutputContributorProc proc, void* context);
OSStatus RemoveDeviceOutputContributor(AudioDeviceID device, AudioOutputContributorProc proc, void* context);
