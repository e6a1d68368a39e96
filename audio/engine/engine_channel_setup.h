// The engine's channel set-up as preparation, start and stop call it: making the song's
// channels, preparing a channel's track stream at a position, stopping the streams, and
// disposing or holding a channel.
//
// Interim: audio tracks, their streams and the aux busses come with the audio tracks.
// Until then channels come from a test-only source, which claims the slots itself.
#pragma once

#include <cstdint>

struct AudioDriverOps;
struct EngineChannel;

// Makes the channels of the song's audio tracks and instrument channels. Interim: none.
int16_t CreateEngineChannel(uint8_t* song, int32_t kind);
// Makes the aux-bus and master channels. Interim: none.
int16_t CreateAuxBusChannels(int32_t kind);
// Resets or disposes the aux-bus channels. Interim: none exist.
void DisposeAuxChannels(int32_t mode);
// Stops the streams and waits (bounded) for their disk work: holds the workers and waits
// until the disk ring is empty.
void StopStreamsAndWait(int32_t mode, int32_t wait);
// Mode 1 holds the channel (stopped, kept in its slot); other modes release its blocks and
// buffers and take it out of its device's list.
void DisposeEngineChannel(EngineChannel* channel, int32_t mode);
// Takes the channel out of its device's channel list (the head moves on when it was the head).
void UnlinkFromDevice(EngineChannel* channel);
