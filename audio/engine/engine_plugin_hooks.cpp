#include "audio/engine/engine_plugin_hooks.h"

EnginePluginHooks gEnginePluginHooks = {};

namespace {

constexpr int32_t kNoPlugin = -50;
constexpr int16_t kNoSuchBus = -1;

}  // namespace

int32_t SetPluginParameterChecked(void* plugin, int32_t parameter, float value) {
  auto set = gEnginePluginHooks.setParameter;
  return set ? set(plugin, parameter, value) : kNoPlugin;
}

int32_t SchedulePluginParameterRamps(void* plugin, Ptr eventList) {
  auto schedule = gEnginePluginHooks.scheduleParameterRamps;
  return schedule ? schedule(plugin, eventList) : kNoPlugin;
}

void* FindChainPlugin(EngineChannel* channel, int32_t position) {
  auto find = gEnginePluginHooks.findChainPlugin;
  return find ? find(channel, position) : nullptr;
}

void SetPluginRenderChannel(EngineChannel* channel) {
  if (auto set = gEnginePluginHooks.setRenderChannel) set(channel);
}

void DeliverBufferMidi(EngineChannel* channel, void* plugin, ChannelRenderState* chain, int32_t frames) {
  if (auto deliver = gEnginePluginHooks.deliverBufferMidi) deliver(channel, plugin, chain, frames);
}

void ReleasePluginChannelNotes() {
  if (auto release = gEnginePluginHooks.releaseChannelNotes) release();
}

int32_t RenderAudioUnit(void* request) {
  auto render = gEnginePluginHooks.renderPluginRequest;
  return render ? render(request) : 0;
}

void RenderPluginChain(void* chainHead, float** inputs, float** outputs, int32_t frames, int32_t channels,
                       uint8_t* rendered) {
  if (auto render = gEnginePluginHooks.renderInsertChain) render(chainHead, inputs, outputs, frames, channels, rendered);
}

int16_t AddPluginPlayChannels(uint32_t tick) {
  auto add = gEnginePluginHooks.addPlayChannels;
  return add ? add(tick) : 0;
}

EngineChannel* GetRackEngineChannel(Handle rack) {
  auto get = gEnginePluginHooks.getRackEngineChannel;
  return get ? get(rack) : nullptr;
}

void BindTrackRackToChannel(Handle song, EngineChannel* channel) {
  if (auto bind = gEnginePluginHooks.bindTrackRacks) bind(song, channel);
}

bool RackHasInsertChain(Handle rack) {
  auto has = gEnginePluginHooks.rackHasPluginChain;
  return has ? has(rack) : false;
}

int32_t CountPluginOutputBuses(void* plugin) {
  auto count = gEnginePluginHooks.countOutputBuses;
  return count ? count(plugin) : 0;
}

int16_t GetPluginOutputBusInfo(void* plugin, int32_t bus, PluginBusInfo* info) {
  auto get = gEnginePluginHooks.getOutputBusInfo;
  return get ? get(plugin, bus, info) : kNoSuchBus;
}
