// The static table of audio drivers. It holds one entry, the host audio driver (id 19).
// An audio driver's send procedure is the driver-procedure id kAudioDriverProcBase + its id
// (song/instruments/driver_procs.h).
#pragma once

#include <cstdint>

struct AudioDriverRecord {
  uint8_t id = 0;
  const char* name = "";
};

extern const AudioDriverRecord gAudioDriverTable[];
extern const int32_t gAudioDriverCount;
