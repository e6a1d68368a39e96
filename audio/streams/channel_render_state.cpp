#include "audio/streams/channel_render_state.h"

#include <algorithm>
#include <new>

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "audio/render/channel_render.h"
#include "platform/memory/memory.h"

namespace {

constexpr uint8_t kRenderStateReWire = 0x02;
constexpr int16_t kMixKindRefused = -4;
constexpr int32_t kMidiSlotBytes = 32;
constexpr int32_t kMaxSendPairs = 8;
constexpr OSType kFloat32Format = 'fl32';

bool ModePlaysInstruments(int32_t mode) { return mode == 0 || mode == 5 || mode == 7; }

ChannelRenderState* EnsureRenderState(EngineChannel* channel) {
  if (channel->renderState) return channel->renderState;
  auto* state = new (std::nothrow) ChannelRenderState();
  if (!state) return nullptr;
  state->owned = 1;
  channel->renderState = state;
  return state;
}

// The chain's positions, rate, counts and latency.
void DescribeChain(ChannelRenderState* state, EngineChannel* channel, uint32_t head) {
  const EnginePluginHooks& h = gEnginePluginHooks;
  state->chainId = head;
  state->chainHead = h.chainPlugin ? h.chainPlugin(head, 0) : nullptr;
  if (h.assignChainIndices) h.assignChainIndices(head, 1, channel->automation);
  int32_t firstIn = 0, firstOut = 2, largestOut = 2, lastOut = 2, largestIn = 0;
  if (h.getChainChannelCounts) h.getChainChannelCounts(head, &firstIn, &firstOut, &largestOut, &lastOut, &largestIn);
  state->inputChannels = firstIn;
  state->outputChannels = lastOut;
  state->chainLatency = h.sumChainLatency ? h.sumChainLatency(head, 1, 0) : 0;
  channel->latencyWord = uint16_t(state->chainLatency > 0xFFFF ? 0xFFFF : state->chainLatency);
}

bool ChainTakesMidi(uint32_t head) {
  const EnginePluginHooks& h = gEnginePluginHooks;
  int32_t count = h.countChainPlugins ? h.countChainPlugins(head) : 0;
  for (int32_t n = 0; n < count; ++n)
    if (h.chainPluginTakesMidi && h.chainPluginTakesMidi(head, n)) return true;
  return false;
}

// An instrument that takes MIDI plays from the channel's MIDI buffers.
int16_t PrepareInstrument(ChannelRenderState* state, EngineChannel* channel, uint32_t head, bool rewire) {
  const EnginePluginHooks& h = gEnginePluginHooks;
  bool instrument = rewire || (head && h.chainHasInstrument && h.chainHasInstrument(head) && ChainTakesMidi(head));
  if (!instrument) return 0;
  if (head && h.prepareChainPlugins) h.prepareChainPlugins(head);
  if (int16_t err = AllocatePluginMidiBuffers(channel, state)) return err;
  state->instrument = 1;
  state->midi = 1;
  channel->instrumentSource = 1;
  if (state->inputChannels <= 0) {
    state->audioInput = 0;
    channel->streaming = 0;
  }
  return 0;
}

MixKindQuery QueryFor(const ChannelRenderState* state, const EngineChannel* channel, int32_t width, int32_t mode) {
  MixKindQuery q;
  q.inputChannels = state->inputChannels;
  q.outputChannels = state->outputChannels;
  q.outputWidth = width;
  q.mode = mode;
  q.sourceFormat = channel->sourceFormat;
  q.auxBus = channel->busSource != 0;
  q.hasChain = state->chainId != 0;
  if (q.hasChain && gEnginePluginHooks.getFirstPluginIOConfig) {
    uint8_t count = 0;
    gEnginePluginHooks.getFirstPluginIOConfig(state->chainId, &q.stereoOutputs, &count);
    q.firstPluginOutputs = count;
  }
  return q;
}

}  // namespace

int16_t PrepareChannelRenderState(Handle rack, EngineChannel* channel, int32_t outChannels, int32_t mode,
                                  int32_t outputWidth, int32_t limit, bool rewire) {
  uint32_t head = rack && gEnginePluginHooks.rackChainHead ? gEnginePluginHooks.rackChainHead(rack) : 0;
  return PrepareChainRenderState(head, channel, outChannels, mode, outputWidth, limit, rewire);
}

int16_t PrepareChainRenderState(uint32_t head, EngineChannel* channel, int32_t outChannels, int32_t mode,
                                int32_t outputWidth, int32_t limit, bool rewire) {
  if (!channel || (!head && !rewire)) return 0;
  ChannelRenderState* state = EnsureRenderState(channel);
  if (!state) return kEngineErrNoMemory;
  if (head) DescribeChain(state, channel, head);
  if (rewire) {
    state->flags |= kRenderStateReWire;
    state->inputChannels = 0;  // no ReWire library runs here: a silent stereo source
    state->outputChannels = 2;
  }
  state->sendKind = rewire ? kRenderSendReWire : (head ? kRenderSendPlugin : kRenderSendNone);
  state->sendArgument = channel->pluginDevice;
  if (outChannels > 0 && state->outputChannels <= 0) state->outputChannels = outChannels;
  int32_t most = std::min(limit > 0 ? limit : kMaxRenderOutputs, kMaxRenderOutputs);
  state->outputChannels = std::clamp(state->outputChannels, 0, most);
  state->inputChannels = std::clamp(state->inputChannels, 0, kMaxRenderOutputs);
  state->outputsUsed = uint8_t(state->outputChannels);
  state->inputsUsed = uint8_t(state->inputChannels);
  if (ModePlaysInstruments(mode) || rewire) {
    if (int16_t err = PrepareInstrument(state, channel, head, rewire)) return err;
  }
  if (head) {
    if (int16_t err = AllocateChainMidiSlots(channel, state, head)) return err;
  }
  int32_t perChannel = 0;
  state->mixKind = ChannelMixKind(QueryFor(state, channel, outputWidth, mode), &perChannel);
  if (perChannel > 0) state->outputChannels = perChannel;
  int32_t bytes = 0, channels = 0;
  if (!MixKindOutputFormat(state->mixKind, std::max(channel->frameChannels, 1), &bytes, &channels))
    return kMixKindRefused;
  return 0;
}

int16_t AllocatePluginMidiBuffers(EngineChannel* channel, ChannelRenderState* state) {
  if (state->midiState) return 0;
  auto make = gEnginePluginHooks.newChannelMidiState;
  state->midiState = make ? make(channel, channel->pluginDevice) : nullptr;
  return state->midiState ? 0 : kEngineErrNoMemory;
}

int16_t AllocateChainMidiSlots(EngineChannel*, ChannelRenderState* state, uint32_t head) {
  const EnginePluginHooks& h = gEnginePluginHooks;
  int32_t count = h.countChainPlugins ? h.countChainPlugins(head) : 0;
  if (count <= 0 || state->midiSlots) return 0;
  state->midiSlots = static_cast<void**>(static_cast<void*>(NewPtrClear(int32_t(sizeof(void*)) * count)));
  if (!state->midiSlots) return kEngineErrNoMemory;
  state->midiSlotCount = count;
  for (int32_t n = 0; n < count; ++n) {
    if (!h.chainPluginTakesMidi || !h.chainPluginTakesMidi(head, n)) continue;
    state->midiSlots[n] = NewPtrClear(kMidiSlotsPerPlugin * kMidiSlotBytes);
    if (!state->midiSlots[n]) return kEngineErrNoMemory;
  }
  return 0;
}

bool SendsStayOnOwnBus(const EngineChannel* channel, int32_t ownBus) {
  int32_t outputs = channel->renderState ? channel->renderState->outputChannels : 2;
  int32_t pairs = std::min(outputs / 2, kMaxSendPairs);
  for (int32_t i = 0; i < pairs; ++i) {
    const ChannelSend& send = channel->sendGains[i];
    if (send.bus != 0 && send.bus != ownBus) return false;
  }
  return true;
}

void FreeRenderStateBuffers(void*, ChannelRenderState* state) {
  if (!state) return;
  if (state->midiState && gEnginePluginHooks.disposeChannelMidiState)
    gEnginePluginHooks.disposeChannelMidiState(state->midiState);
  state->midiState = nullptr;
  for (int32_t n = 0; n < state->midiSlotCount; ++n) DisposePtr(static_cast<Ptr>(state->midiSlots[n]));
  DisposePtr(reinterpret_cast<Ptr>(state->midiSlots));
  state->midiSlots = nullptr;
  state->midiSlotCount = 0;
}

void DisposeChannelRenderState(EngineChannel* channel) {
  ChannelRenderState* state = channel ? channel->renderState : nullptr;
  if (!state) return;
  channel->renderState = nullptr;  // a state of another owner stays with its owner
  if (!state->owned) return;
  const EnginePluginHooks& h = gEnginePluginHooks;
  if (state->chainId && h.suspendChainPlugins) h.suspendChainPlugins(channel, state->chainId);
  if (state->midiState && h.attachChannelMidiState) h.attachChannelMidiState(channel, nullptr);
  FreeRenderStateBuffers(nullptr, state);
  delete state;
}

void ClearChannelReferences(EngineChannel* channel, const EngineChannel* target) {
  for (EngineChannel*& ref : channel->inputSource) {
    if (ref == target) ref = nullptr;
  }
}

int32_t ChannelMixKind(const MixKindQuery& q, int32_t* perChannel) {
  if (perChannel) *perChannel = 0;
  int32_t inputs = std::max(q.inputChannels, 1);
  int32_t kind = (std::min(inputs, 2) - 1) * 2 + std::min(std::max(q.outputChannels, 1), 2) - 1;
  bool plays = ModePlaysInstruments(q.mode);
  if (q.outputWidth > 16) {
    if (q.mode == 3 && q.sourceFormat != kFloat32Format) {
      kind += q.outputWidth > 24 ? 12 : 18;
    } else {
      kind += 6;
      if (q.auxBus && q.outputChannels == 1 && kind == 6) kind = 7;
      else if (q.auxBus && q.outputChannels == 1 && kind == 8) kind = 11;
    }
  }
  if (!plays && kind > 0 && (kind % 6 == 1 || kind % 6 == 2)) kind += 3;
  if (plays && q.hasChain && !q.auxBus && q.firstPluginOutputs > 1) {
    kind += 24;
    if (perChannel) *perChannel = (q.stereoOutputs & 1) ? 2 : 1;
  }
  return kind;
}
