#include "audio/devices/output_kind_drivers.h"

#include "audio/devices/instruments_audio_drivers.h"
#include "song/instruments/driver_procs.h"
#include "shell/base/audio_driver_lookup.h"
#include "song/instruments/output_kind_hooks.h"

namespace {

uint32_t DriverProcForKind(uint8_t kind) {
  switch (kind) {
    case 5: return kQuickTimeMusicDriverProc;
    case 18: return kMidiPortDriverProc;
    case 20: return kPluginInstrumentDriverProc;
    case 21: return kReWireDriverProc;
    default: break;
  }
  const AudioDriverRecord* driver = FindAudioDriverById(kind);
  return driver ? driver->sendProc : uint32_t(kDefaultDriverProc);
}

const char* AudioDriverName(uint8_t id) {
  const AudioDriverRecord* driver = FindAudioDriverById(id);
  return driver ? driver->name : nullptr;
}

}  // namespace

void InstallOutputKindHooks() {
  gOutputKindHooks.driverProcForKind = DriverProcForKind;
  gOutputKindHooks.audioDriverName = AudioDriverName;
}
