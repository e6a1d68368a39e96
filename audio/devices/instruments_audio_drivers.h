// The static table of audio drivers. It holds one entry, the host audio driver (id 19).
#pragma once

#include <cstdint>

#include "song/instruments/driver_procs.h"

struct AudioDriverRecord {
  uint8_t id = 0;
  DriverProcId sendProc = kNoDriverProc;
  const char* name = "";
};

extern const AudioDriverRecord gAudioDriverTable[];
extern const int32_t gAudioDriverCount;
