// The JACK device: one device per server, named "JACK (" server name ")", whose channels are
// the server's physical ports. Our client's ports are connected to them when the device first
// starts; the client stays active from then until the layer unloads. Buffer size and rate
// are the server's: setting another answers 'nope' or '!dat'.
#pragma once

#include "platform/coreaudio/audio_types.h"

// Full JACK name ("client:port") of channel 1..n of a side of the JACK device: lets other
// JACK clients connect to it. '!dev' for a device that is not a live JACK device, 'who?'
// for a channel out of range, '!siz' when the name does not fit (with its terminator).
OSStatus GetJackPortName(AudioDeviceID device, Boolean isInput, UInt32 channel, char* name, UInt32 size);
