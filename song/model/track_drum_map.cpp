#include "song/model/track_drum_map.h"

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/model/song_layout.h"

const uint8_t* GetTrackDrumMap(const uint8_t* entry) {
  if (!entry) return nullptr;
  Handle map(ReadU32BE(entry + kTrackDrumData));
  if (!map || !IsValidHandle(map) || GetHandleSize(map) < kDrumMapMinimumSize) return nullptr;
  return reinterpret_cast<const uint8_t*>(HandleData(map));
}

bool DrumMapNoteSounds(const uint8_t* entry, uint8_t note) {
  const uint8_t* map = GetTrackDrumMap(entry);
  return !map || (map[kDrumMapNoteFlags + (note & 0x7F)] & kDrumNoteSounds) != 0;
}
