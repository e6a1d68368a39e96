// The built-in General MIDI synth's sound on an audio device: added to the device's first
// output pair after the program's own IO procedures, every buffer.
#pragma once

#include "platform/coreaudio/audio_types.h"

// Prepares the synth at the device's rate and adds it to the device's output mix.
OSStatus ConnectBuiltInSynthToDevice(AudioDeviceID device);
OSStatus DisconnectBuiltInSynthFromDevice(AudioDeviceID device);
