#include "plugins/host/plugin_render_hooks.h"

#include <atomic>

#include "audio/engine/engine_plugin_hooks.h"
#include "audio/render/channel_render.h"
#include "plugins/host/chain_render.h"
#include "plugins/host/click_channel.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "plugins/host/plugin_parameters.h"
#include "plugins/host/plugin_prepare_hooks.h"
#include "plugins/host/vst_host_callback.h"

namespace {

PluginInstance* ChainHead(void* head) { return static_cast<PluginInstance*>(head); }

// Once the chain has taken the block's MIDI the instrument is no longer busy: a faded stop
// waits for that before it goes on.
void DeliverChannelMidi(EngineChannel* channel, void* plugin, ChannelRenderState* chain, int32_t frames) {
  if (!chain) return;
  DeliverBufferMidi(channel, ChainHead(plugin), static_cast<PluginMidiState*>(chain->midiState), frames);
  std::atomic_ref<uint8_t>(chain->busy).store(0, std::memory_order_release);
}

// Only an open instance's record takes the list; anything else is set value by value.
int32_t ScheduleRamps(void* plugin, Ptr eventList) {
  if (!IsLivePluginInstance(plugin)) return -50;
  return int32_t(ScheduleParameterRamps(eventList, static_cast<PluginInstance*>(plugin)));
}

void RenderChain(void* head, float** inputs, float** outputs, int32_t frames, int32_t channels, uint8_t* rendered) {
  RenderInsertChain(ChainHead(head), inputs, outputs, frames, channels, rendered);
}

// Before Play: the busses that bypass themselves follow the tracks that play them now, and
// the click gets its channel.
int16_t AddPlayChannels(uint32_t tick) {
  UpdateAllBusBypass();
  return AddClickChannel(tick);
}

}  // namespace

void InstallPluginRenderHooks() {
  gEnginePluginHooks.setRenderChannel = StorePluginRenderChannel;
  gEnginePluginHooks.deliverBufferMidi = DeliverChannelMidi;
  gEnginePluginHooks.releaseChannelNotes = ResetDeviceMidiStates;
  gEnginePluginHooks.renderPluginRequest = RenderPluginRequest;
  gEnginePluginHooks.renderInsertChain = RenderChain;
  gEnginePluginHooks.scheduleParameterRamps = ScheduleRamps;
  gEnginePluginHooks.addPlayChannels = AddPlayChannels;
  InstallPluginPrepareHooks();
}
