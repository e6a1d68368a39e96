#include "song/model/utility_iteration.h"

#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_numbers.h"
#include "song/model/utility_track_access.h"

int16_t gTrackListFirstRow = 0;
int16_t gTrackListVisibleRows = 0;

int32_t IterateTracks(TrackCallback callback, void* arg) {
  gIterationAbort = 0;
  if (!gCurrentSong) return 0;
  int32_t savedIndex = GetCurrentTrackIndex();
  int32_t savedNumber = gCurrentTrackNumber;
  int32_t result = 0;
  for (int32_t i = 0; gCurrentSong && i < int32_t(ReadU16BE(gCurrentSong + kSongTrackCount));
       ++i) {
    SetCurrentTrackIndex(i);
    result = callback(arg);
    if (gIterationAbort) break;
  }
  SetCurrentTrackIndex(savedIndex);
  gCurrentTrackNumber = savedNumber;
  return result;
}

int32_t ForEachTrack(TrackCallback callback, void* arg) { return IterateTracks(callback, arg); }

int32_t ForEachTrackNumberIn(int32_t first, int32_t count, TrackCallback callback, void* arg) {
  gIterationAbort = 0;
  int32_t savedIndex = GetCurrentTrackIndex();
  int32_t savedNumber = gCurrentTrackNumber;
  int32_t result = 0;
  for (int32_t n = 0; n < count; ++n) {
    SelectTrackNumber(first + n);
    result = callback(arg);
    if (gIterationAbort) break;
  }
  SetCurrentTrackIndex(savedIndex);
  gCurrentTrackNumber = savedNumber;
  return result;
}

int32_t ForEachVisibleTrack(TrackCallback callback, void* arg) {
  int32_t first = gTrackListFirstRow < 0 ? 0 : gTrackListFirstRow;
  int32_t rows = gTrackListVisibleRows;
  if (rows > kMaxTrackNumbers - first) rows = kMaxTrackNumbers - first;
  return ForEachTrackNumberIn(first, rows, callback, arg);
}
