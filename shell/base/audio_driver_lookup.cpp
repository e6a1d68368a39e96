#include "shell/base/audio_driver_lookup.h"

#include "shell/base/audio_driver_table.h"

const AudioDriverRecord* FindAudioDriverById(uint8_t id) {
  for (int32_t i = 0; i < gAudioDriverCount; ++i)
    if (gAudioDriverTable[i].id == id) return &gAudioDriverTable[i];
  return nullptr;
}

bool HasAudioDriverEntry(uint8_t deviceKind) { return FindAudioDriverById(deviceKind) != nullptr; }
