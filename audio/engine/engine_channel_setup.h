// The engine's channel set-up that preparation and start call: taking a channel off its
// device's list. Making, preparing, stopping and disposing channels is the streams' work
// (audio/streams/engine_channel_creation.h, track_stream_prepare.h, stream_stop.h).
#pragma once

#include <cstdint>

struct AudioDriverOps;
struct EngineChannel;

// Takes the channel out of its device's channel list (the head moves on when it was the head).
void UnlinkFromDevice(EngineChannel* channel);
