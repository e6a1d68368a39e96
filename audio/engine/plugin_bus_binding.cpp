#include "audio/engine/plugin_bus_binding.h"

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "audio/engine/instrument_binding.h"
#include "audio/engine/record_inputs.h"
#include "audio/streams/engine_channel_creation.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"

int32_t gEngineInputLatency = 0;
int32_t gEngineInputLatencyRemainder = 0;

namespace {

constexpr int32_t kInputLatencyDivisor = 6;

// Moves `bus` into `channel`'s device list directly behind `channel`.
void LinkBehind(EngineChannel* channel, EngineChannel* bus) {
  if (channel->next == bus && bus->device == channel->device) return;
  UnlinkFromDevice(bus);
  bus->device = channel->device;
  bus->next = channel->next;
  channel->next = bus;
}

int16_t SetBusOutputBlock(EngineChannel* bus, bool allocate) {
  if (!allocate) {
    DisposeEngineBuffer(bus->currentOutput);
    bus->currentOutput = nullptr;
    return 0;
  }
  if (bus->currentOutput) return 0;
  int16_t err = 0;
  int32_t samples = int32_t(bus->framesPerBlock) * (bus->frameChannels > 0 ? bus->frameChannels : 2);
  bus->currentOutput = static_cast<float*>(NewEngineBuffer(samples * int32_t(sizeof(float)), &err));
  return bus->currentOutput ? 0 : (err ? err : int16_t(-108));
}

}  // namespace

int32_t FindInstrumentForPluginBus(void* plugin, int32_t bus) {
  PluginBusInfo info;
  if (GetPluginOutputBusInfo(plugin, bus, &info) != 0 || info.deviceKind == kDeviceKindNone) return -1;
  return FindMatchingInstrument(info.deviceKind, info.port, info.channelMask, false);
}

void UpdateOutputBusMask(EngineChannel* channel, void* plugin) {
  int32_t buses = CountPluginOutputBuses(plugin);
  uint32_t mask = buses >= 32 ? ~0u : (1u << buses) - 1u;
  for (int32_t bus = 0; bus < buses && bus < 32; ++bus) {
    if (FindInstrumentForPluginBus(plugin, bus) < 0) mask &= ~(1u << bus);
  }
  channel->outputBusMask = mask;
}

void AttachExternalSource(EngineChannel* channel, AudioInput* input, const uint8_t* track) {
  if (!channel) return;
  if (!track) {
    if (channel->externalSource) {
      channel->externalSource = nullptr;
      channel->instrumentChannel = nullptr;
    }
    if (input) input->channelLink = nullptr;
    return;
  }
  channel->externalSource = input;
  if (input) {
    gEngineInputLatency = int32_t(input->sampleRate / kInputLatencyDivisor);
    input->channelLink = channel;
  }
  gEngineInputLatencyRemainder = 0;
  BindChannelInstrument(channel, GetTrackInstrument(track, 0));
}

int16_t LinkPluginBusChannels(EngineChannel* channel, bool link) {
  void* plugin = channel ? FindChainPlugin(channel, 0) : nullptr;
  int32_t buses = CountPluginOutputBuses(plugin);
  EngineChannel* behind = channel;
  for (int32_t bus = 0; bus < buses; ++bus) {
    PluginBusInfo info;
    if (GetPluginOutputBusInfo(plugin, bus, &info) != 0 || !info.drivenChannel || info.drivenChannel == channel) continue;
    if (int16_t err = SetBusOutputBlock(info.drivenChannel, link)) return err;
    if (!link) continue;
    LinkBehind(behind, info.drivenChannel);
    behind = info.drivenChannel;
  }
  return 0;
}
