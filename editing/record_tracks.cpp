#include "editing/record_tracks.h"

#include <cstdint>

#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_iteration.h"

namespace {

struct ArmedTracks {
  int8_t previous = -1;
  bool previousArmed = false;
  int32_t count = 0;
  int8_t first = -1;
};

int32_t CountArmedTrack(void* arg) {
  auto* armed = static_cast<ArmedTracks*>(arg);
  if (!(gCurrentTrack[kTrackModeFlags] & kTrackModeArmed)) return 0;
  int8_t number = int8_t(gCurrentTrack[kTrackNumber]);
  if (number < 0) return 0;  // a track without a number cannot be the record track
  ++armed->count;
  if (armed->first < 0) armed->first = number;
  if (number == armed->previous) armed->previousArmed = true;
  return 0;
}

}  // namespace

void UpdateRecordTracks() {
  if (!gCurrentSong) return;
  ArmedTracks armed;
  armed.previous = int8_t(gCurrentSong[kSongRecordTrack]);
  ForEachTrack(CountArmedTrack, &armed);
  gCurrentSong[kSongArmedCount] = uint8_t(armed.count > 0xFF ? 0xFF : armed.count);
  gCurrentSong[kSongRecordTrack] = uint8_t(armed.previousArmed ? armed.previous : armed.first);
}
