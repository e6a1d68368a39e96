#include "audio/streams/plugin_device_channels.h"

#include "audio/engine/engine_channels.h"

int16_t CreatePluginDeviceChannels(Handle, int32_t) { return 0; }

uint32_t ChannelPluginDevice(const EngineChannel* channel) { return channel ? channel->pluginDevice : 0; }
