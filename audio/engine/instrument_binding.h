// Binding an engine channel to an instrument of the instrument table, and finding the
// instrument that best matches an output (device kind, port and channel mask).
#pragma once

#include <cstdint>

struct EngineChannel;

// The best instrument for an output, or -1. Each instrument scores 8 for the same device
// kind (4 for a different kind, unless the query's kind is 11 or only one of the two kinds
// names an audio driver: then it is passed over), plus 2 for the same port and 1 for the same
// channel mask; the first with the highest score wins. Instruments whose flags byte lacks
// bit 0 are passed over; with requirePlugins only instruments with a plug-in chain count,
// and with a bit number above 0 only those with that bit set in their first byte. With exact
// set only a full score of 11 is an answer.
int32_t FindMatchingInstrument(uint8_t deviceKind, uint8_t port, uint16_t channelMask, bool requirePlugins);
int32_t FindMatchingInstrumentEx(uint8_t deviceKind, uint8_t port, uint16_t channelMask, int32_t bit, bool exact,
                                 bool requirePlugins);
int32_t FindInstrumentForPort(uint8_t deviceKind, uint8_t port, uint16_t channelMask, int32_t bit);

// Binds the channel to an instrument: its index, the channel of its insert rack, its level
// and pan (scaled by the master level) and the gains from them, the output pair (-1: the
// instrument's port, other negative values keep it) and its sends.
void SetChannelInstrument(int32_t instrument, int32_t outputPair, EngineChannel* channel);
// A channel's starting levels at a position: level, pan and sends from its instrument, then
// its volume and pan automation chased to the position (a plug-in chain gets its parameters).
void InitChannelLevels(EngineChannel* channel, int64_t position);
// Only the index and the channel of the instrument's insert rack (none for an index outside
// the table); answers the instrument's record, or null.
uint8_t* BindChannelInstrument(EngineChannel* channel, int32_t instrument);

// The instrument's level (32768 = unity) and pan (0..127, 64 centre) for a channel: 32768 and
// 64 without an instrument; else the instrument becomes current, the level is its volume
// through the gain curve while its first flag bit is set (else 0), the pan its pan byte.
void GetChannelInstrumentLevel(int32_t instrument, int32_t* level, int32_t* pan);
// Builds the channel's sends from the instrument's: one send for each aux bus 1..8 that has a
// channel with an output block, in bus order, its level the gain-curve value of the
// instrument's send to that bus while that send is on (else 0); nothing for a negative index
// or a channel made without a track.
void SetupChannelSends(EngineChannel* channel, int32_t instrument);
// The channel of aux bus `bus` (1..8): the bus-th of gAuxBusChannels, which lists the busses
// in order; null when there is none.
EngineChannel* FindAuxBusChannel(int32_t bus);
