// A channel's plug-in render state: the insert chain a channel renders through, its channel
// counts, the mix kind that carries the chain's output, and for an instrument the MIDI event
// buffers the chain plays from (per plug-in MIDI slots beside them). Made on the main thread
// while playback is prepared, owned by the channel and freed with it.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct EngineChannel;
struct ChannelRenderState;

// Output kinds whose MIDI send procedure a render state keeps.
constexpr uint8_t kRenderSendNone = 11;
constexpr uint8_t kRenderSendPlugin = 20;
constexpr uint8_t kRenderSendReWire = 21;
constexpr int32_t kMaxRenderOutputs = 32;
constexpr int32_t kMidiSlotsPerPlugin = 32;
constexpr int32_t kChannelReferences = 16;

// Prepares the channel's render state for the chain of `rack` (or a ReWire source): 0, -108,
// or the mix routine's refusal. outChannels is the channel count asked for, outputWidth the
// device's sample width, limit the most outputs the caller takes.
int16_t PrepareChannelRenderState(Handle rack, EngineChannel* channel, int32_t outChannels, int32_t mode,
                                  int32_t outputWidth, int32_t limit, bool rewire);
// The same for a chain given by its head instance (a plug-in device's chain).
int16_t PrepareChainRenderState(uint32_t chainHead, EngineChannel* channel, int32_t outChannels, int32_t mode,
                                int32_t outputWidth, int32_t limit, bool rewire);
// The MIDI event buffers of an instrument render state: 0 or -108.
int16_t AllocatePluginMidiBuffers(EngineChannel* channel, ChannelRenderState* state);
// A block of 32 MIDI slots for each plug-in of the chain that takes MIDI: 0 or -108.
int16_t AllocateChainMidiSlots(EngineChannel* channel, ChannelRenderState* state, uint32_t chainHead);
// True when each of the first (outputs / 2, at most 8) sends is empty or feeds the channel's
// own aux bus.
bool SendsStayOnOwnBus(const EngineChannel* channel, int32_t ownBus);
// Frees the render state's buffers (the MIDI buffers, the slots and their table).
void FreeRenderStateBuffers(void* spare, ChannelRenderState* state);
// The channel lets go of its render state; one the preparation made is freed with its
// buffers, its chain suspended and its MIDI state unlinked from the device (DisposeEngineChannel's
// step).
void DisposeChannelRenderState(EngineChannel* channel);
// Clears each of the channel's references that equal the target.
void ClearChannelReferences(EngineChannel* channel, const EngineChannel* target);

// The mix kind of a chain's output (the index rule of the channel rendering's table): counts,
// output width, mode, whether the channel is an aux bus, whether it has a chain and what its
// first plug-in reports as its output count and stereo-outputs mask; *perChannel gets the
// output count of each channel when the kind spreads outputs over linked channels.
struct MixKindQuery {
  int32_t inputChannels = 0;
  int32_t outputChannels = 2;
  int32_t outputWidth = 16;
  int32_t mode = 0;
  OSType sourceFormat = 0;
  bool auxBus = false;
  bool hasChain = false;
  int32_t firstPluginOutputs = 0;
  uint32_t stereoOutputs = 0;
};
int32_t ChannelMixKind(const MixKindQuery& query, int32_t* perChannel);
