#include "audio/engine/engine_transport.h"

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "audio/engine/engine_prepare.h"
#include "sequencer/transport/transport_audio_hooks.h"
#include "song/conductor/sample_position.h"

namespace {

constexpr int32_t kPreparePlayback = 0;

// The device whose rate places the start: the first with channels, else the first.
const AudioDriverOps* RateDevice() {
  for (const AudioDriverOps* d = gOutputDevices; d; d = d->next)
    if (d->channelList) return d;
  return gOutputDevices;
}

OSErr PrepareHook(uint32_t tick) { return OSErr(PrepareEngineForTransport(tick)); }
OSErr StartOutputsHook() { return OSErr(ResetOutputDevices()); }

}  // namespace

int16_t PrepareEngineForTransport(uint32_t tick) {
  if (int16_t err = AddPluginPlayChannels(tick)) return err;
  const AudioDriverOps* device = RateDevice();
  if (!device || !IsAudioEngineNeeded()) return 0;
  int64_t position = TickToSamplePosition(int32_t(tick == 0 ? 1 : tick), device->sampleRate);
  int16_t err = PrepareEnginePlayback(position, nullptr, nullptr, nullptr, kPreparePlayback);
  // A half-made preparation leaves nothing open behind it.
  if (err != 0) StopAudioEngine(0);
  return err;
}

bool IsAnyOutputDeviceActive() {
  for (const AudioDriverOps* d = gOutputDevices; d; d = d->next)
    if (d->channelList && (d->flags & kDriverFlagActive)) return true;
  return false;
}

static double EngineSampleRateHook() { return double(gEngineSampleRate); }

static void SetEnginePlayRateHook(int32_t rate) { PrepareOutputDevices(rate); }

void InstallTransportAudioHooks() {
  TransportAudioHooks& hooks = gTransportAudioHooks;
  hooks.prepareAudioForPlay = PrepareHook;
  hooks.isAnyOutputActive = IsAnyOutputDeviceActive;
  hooks.startAudioOutputs = StartOutputsHook;
  hooks.releasePluginNotes = ReleasePluginChannelNotes;
  hooks.engineSampleRate = EngineSampleRateHook;
  hooks.setEnginePlayRate = SetEnginePlayRateHook;
}
