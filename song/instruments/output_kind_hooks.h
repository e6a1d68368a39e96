// What the output kinds ask of the drivers: the driver procedure that takes a device kind's
// records, and the names of the audio drivers. Installed by the audio devices at start-up
// (InstallOutputKindHooks). Not installed, a kind has no driver procedure (0: sending to
// it does nothing) and every kind shows its fixed name.
#pragma once

#include <cstdint>

struct OutputKindHooks {
  // Main thread, both.
  uint32_t (*driverProcForKind)(uint8_t kind);
  // The name of the audio driver whose id is id; null when there is none.
  const char* (*audioDriverName)(uint8_t id);
};
extern OutputKindHooks gOutputKindHooks;
