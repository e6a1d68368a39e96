// The engine channels of the plug-in devices that the song's tracks play: one channel per
// device (its tracks' events reach the instrument through the channel's MIDI state), with
// the device's chain as its render state. Main thread, while playback is prepared.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Gives each plug-in device (output kind 20) that a track of the song plays an engine
// channel on the main device, unless one already plays it; 0, 116 or -108.
int16_t CreatePluginDeviceChannels(Handle song, int32_t mode);
// True when a track of the song plays a plug-in device that has an instrument.
bool SongPlaysPluginDevices(Handle song);
// The device plug-in channels play on: the first active one with channels, else the first
// active one (null for none).
struct AudioDriverOps* PluginChannelDevice();
// The plug-in device a channel plays (0 for none).
uint32_t ChannelPluginDevice(const struct EngineChannel* channel);
