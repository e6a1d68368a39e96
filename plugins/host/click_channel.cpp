#include "plugins/host/click_channel.h"

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/render/channel_render.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "plugins/library/click_plugin.h"
#include "sequencer/clock/click_settings.h"
#include "sequencer/clock/click_track.h"
#include "sequencer/transport/transport_engine.h"
#include "song/instruments/instrument_record.h"

namespace {

constexpr int32_t kStereoFloatFromInstrument = 7;

// The click channel's render state and MIDI state live as long as the program: one click.
ChannelRenderState gClickRenderState;
PluginMidiState* gClickMidi = nullptr;

bool ClickPlaysThroughPlugin() {
  return gClickSettings.deviceKind == kDeviceKindPlugin && (gClickSettings.flags & kClickActive);
}

EngineChannel* HeldClickChannel() {
  for (int32_t i = 0; i < gEngineChannelCount && i < kEngineChannelSlots; ++i) {
    EngineChannel* c = gEngineChannelLists[i];
    if (c && c->renderState == &gClickRenderState) return c;
  }
  return nullptr;
}

// The device the click plays on: the first active one with channels, else the first active.
AudioDriverOps* ClickDevice() {
  AudioDriverOps* any = nullptr;
  for (AudioDriverOps* d = gOutputDevices; d; d = d->next) {
    if (!(d->flags & kDriverFlagActive)) continue;
    if (d->channelList) return d;
    if (!any) any = d;
  }
  return any;
}

// The plug-in runs at the device's rate and block size, switched on.
void PrepareClickPlugin(PluginInstance* click, const AudioDriverOps* device) {
  SuspendPlugin(click);
  SetPluginSampleRate(click, device->sampleRate > 0.0f ? device->sampleRate : 44100.0);
  SetPluginMaxFrames(click, uint32_t(gAudioBufferFrames.load()));
  ResumePlugin(click, 0);
}

int16_t MakeClickChannel(AudioDriverOps* device, PluginInstance* click, EngineChannel** out) {
  EngineChannel* c = nullptr;
  if (int16_t err = ClaimEngineChannel(&c)) return err;
  int32_t frames = gAudioBufferFrames.load();
  c->frameChannels = c->sourceChannels = 2;
  c->sampleBits = 32;
  c->sampleRate = device->sampleRate;
  c->framesPerBlock = int16_t(frames);
  c->device = device;
  c->song = TransportSong();
  c->instrumentSource = 1;
  SetChannelGains(32768, 64, &c->gainLeft, &c->gainRight);
  if (int16_t err = AllocateChannelBlocks(c, frames)) return err;
  gClickRenderState = ChannelRenderState();
  gClickRenderState.chainHead = click;
  gClickRenderState.mixKind = kStereoFloatFromInstrument;
  gClickRenderState.inputChannels = 0;
  gClickRenderState.outputChannels = 2;
  gClickRenderState.audioInput = 0;
  gClickRenderState.midi = 1;
  gClickRenderState.midiState = gClickMidi;
  c->renderState = &gClickRenderState;
  c->next = device->channelList;
  device->channelList = c;
  *out = c;
  return 0;
}

}  // namespace

int16_t AddClickChannel(uint32_t tick) {
  if (!ClickPlaysThroughPlugin() || FindClickPlugin(false) == 0) return 0;
  PluginInstance* click = GetPluginInstance(GetRackChainHead(GetClickTrackRack()));
  AudioDriverOps* device = ClickDevice();
  if (!click || !device) return 0;
  if (!gClickMidi) gClickMidi = NewPluginMidiState(nullptr, kClickPluginDeviceId);
  if (!gClickMidi) return kEngineErrNoMemory;
  click->receivesMidi = 1;
  PrepareClickPlugin(click, device);
  EngineChannel* c = HeldClickChannel();
  if (!c) {
    if (int16_t err = MakeClickChannel(device, click, &c)) return err;
  }
  gClickMidi->channel = c;
  StartPluginMidiState(gClickMidi, TransportSong(), tick < 1 ? 1.0 : double(tick));
  gClickMidi->clickChannel = 1;
  gClickMidi->noEvents = 1;  // the click's own channel plays no track
  return 0;
}
