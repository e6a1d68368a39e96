// The engine's channel set-up that preparation and start call: preparing a channel's track
// stream at a position, matching a live-fed channel to its device, and taking a channel off its
// device's list. Making, stopping and disposing channels is the streams' work
// (audio/streams/engine_channel_creation.h, stream_stop.h).
//
// Interim: the track stream preparation comes with the audio tracks' streams.
#pragma once

#include <cstdint>

struct AudioDriverOps;
struct EngineChannel;

// Fills the channel's stream from the position. Interim: a channel fed by a test-only
// source is already filled: 0.
int16_t PrepareAudioTrackStream(EngineChannel* channel, int64_t position, float rate);
// A channel fed live from an external source plays at its device's rate and sample width, with
// at least one channel.
void MatchChannelToDevice(EngineChannel* channel, const AudioDriverOps* device);
// Takes the channel out of its device's channel list (the head moves on when it was the head).
void UnlinkFromDevice(EngineChannel* channel);
