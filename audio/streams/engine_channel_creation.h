// Engine channel creation and disposal: one channel per track of the current song that sounds
// through the engine (audio tracks and tracks on a plug-in instrument, with the child
// sequences that play), further channels for a plug-in's extra output busses, the aux-bus and
// master channels, their sends (SetupChannelSends, audio/engine/instrument_binding.h); disposing all of it at stop; the disk thread's start.
// Main thread, with the engine held or stopped.
#pragma once

#include <cstdint>

#include "audio/engine/engine_channels.h"

struct AudioDriverOps;

// Errors.
constexpr int16_t kEngineErrDeviceMissing = 121;
constexpr int16_t kEngineErrNothingToPlay = 111;
constexpr uint8_t kSilentPort = 11;

// Creation modes (the preparation kinds): 3, 4 and 6 play from 0; 4 and 6 to the end.
// Walks the tracks of the current song (only the current track when singleTrack is set) and
// makes their channels; 0 or the first error (a failed channel is disposed before returning).
int16_t CreateEngineChannel(int32_t mode, int64_t rangeStart, int64_t rangeEnd, AudioDriverOps* device,
                            int32_t singleTrack, uint8_t noTrack);
// True when a track of the song (not flagged 0x10) is an audio track that would get a channel:
// Play then prepares the engine for it.
bool SongHasAudioTracks(Handle song);
// The further channels of a plug-in instrument with more than one output bus.
int16_t CreateOutputChannels(EngineChannel* channel, AudioDriverOps* device, void* plugin, int32_t mode);
// The aux-bus and master channels (gAuxBusChannels: the busses in order, then the master).
int16_t CreateAuxBusChannels(int32_t kind);
// The channel plays on the device: its rate (and inverse), sample width (17..31 bits count as
// 32), block frames and unity float scales.
void TakeDeviceFormat(EngineChannel* channel, AudioDriverOps* device);
// Takes the channel out of its device's channel list (the head moves on when it was the head).
void UnlinkFromDevice(EngineChannel* channel);
// Mode 1 holds a channel in place; other modes release everything the channel holds.
void DisposeEngineChannel(EngineChannel* channel, uint32_t stamp, int32_t mode);
void DisposeAuxChannels(int32_t mode, uint32_t stamp, int32_t spare);
// At stop: frees the memory blocks of the current song's regions flagged 0x40.
void ReleaseMemoryRegions();
