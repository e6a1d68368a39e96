// The song time an engine channel's plug-ins are told: the tempo words and the latency offset
// that the host's time callbacks read of the channel whose chain renders (EngineChannel's
// tempoWord, alternativeTempoWord, latencyOffset, latencyWord).
#pragma once

#include <cstdint>

struct EngineChannel;
struct PluginMidiState;

// Engine thread, once a block's events are scheduled: the channel of the MIDI state takes
// the tempo the block ended at and, before the tempo factor, the song map's tempo there.
void StoreChannelSongTime(const PluginMidiState* state);
// Engine thread, as the channel's chain is about to render: the latency offset is the start
// delay still ahead of the channel's position.
void StoreChannelLatencyOffset(EngineChannel* channel);
// Main thread or clock: a new tempo (tenths of a beat per minute, scaled) for the channel.
void StoreChannelTempo(EngineChannel* channel, int32_t tempo);
// The tempo word the instance hears from the channel: the alternative word when the
// instance follows it (state flag 0x80); 0 when the channel was never given one.
int32_t GetChannelTempoWord(const EngineChannel* channel, uint16_t instanceStateFlags);
