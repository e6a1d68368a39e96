// Engine channels fed by something other than their own stream: instruments found for a
// plug-in's output buses, the channels of tracks that a plug-in bus drives (linked behind the
// plug-in's channel on its device, so they are mixed after it), and record inputs attached as
// a channel's external source.
#pragma once

#include <cstdint>

struct AudioInput;
struct EngineChannel;

// The engine's input latency (the attached input's rate / 6, in frames) and its remainder.
extern int32_t gEngineInputLatency;
extern int32_t gEngineInputLatencyRemainder;

constexpr uint8_t kDeviceKindNone = 11;

// The instrument matching a plug-in output bus's device kind, port and channel mask, or -1
// when the bus has none or names device kind 11.
int32_t FindInstrumentForPluginBus(void* plugin, int32_t bus);
// The channel's output-bus mask: one bit per output bus of the plug-in, kept only for buses
// that have a matching instrument.
void UpdateOutputBusMask(EngineChannel* channel, void* plugin);
// With a track: the input becomes the channel's external source, the input latency is taken
// from its rate and the channel plays the track's instrument for channel 0. Without a track:
// detaches (the channel's source and instrument channel are cleared when a source was
// attached; the input forgets its channel).
void AttachExternalSource(EngineChannel* channel, AudioInput* input, const uint8_t* track);
// For each output bus of the channel's first plug-in that drives another track's channel:
// with `link` that channel gets its current-output block (one block of Float32 samples) and
// moves into this channel's device list directly behind it; without, the block is released.
// 0, or -108 when a block cannot be had (the buses linked so far stay linked).
int16_t LinkPluginBusChannels(EngineChannel* channel, bool link);
