#include "song/model/track_numbers.h"

#include <cstring>

#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/utility_iteration.h"
#include "song/model/utility_track_access.h"

uint8_t gTrackNumberMap[256];
int32_t gCurrentTrackNumber = 0;

namespace {

bool gTrackNumberClash = false;

// True when number k belongs to an entry of the current song that still carries it (a map
// entry left behind by a removed or renumbered track does not count).
bool IsNumberOwned(int32_t k) {
  int32_t index = gTrackNumberMap[k];
  if (index >= GetSongTrackCount()) return false;
  uint8_t* entry = GetTrackEntryAt(index);
  return entry && entry[kTrackNumber] == k;
}

int32_t ClaimCountingSolo(void*) {
  if (gCurrentTrack[kTrackFlags] & kTrackFlagSolo) ++gCurrentSong[kSongSoloCount];
  ClaimTrackNumber();
  return 0;
}

int32_t RepairCallback(void*) {
  RepairTrackNumber();
  return 0;
}

}  // namespace

void RebuildTrackNumberMap() {
  if (!gCurrentSong || IsSongLocked()) return;
  std::memset(gTrackNumberMap, kFreeTrackNumber, kMaxTrackNumbers);
  gCurrentSong[kSongSoloCount] = 0;
  gTrackNumberClash = false;
  ForEachTrack(ClaimCountingSolo, nullptr);
  if (gTrackNumberClash) {
    gTrackNumberClash = false;
    ForEachTrack(RepairCallback, nullptr);
  }
}

int32_t ClaimTrackNumber() {
  if (!gCurrentSong || IsSongLocked()) return 1;
  int32_t index = GetCurrentTrackIndex();
  if (index >= kMaxTrackNumbers || !HasValidCurrentTrack()) return 1;
  int32_t k = gCurrentTrack[kTrackNumber];
  if (k >= kMaxTrackNumbers) return 0;
  if (gTrackNumberMap[k] == index || !IsNumberOwned(k)) {
    gTrackNumberMap[k] = uint8_t(index);
  } else {
    gTrackNumberClash = true;
    gCurrentTrack[kTrackNumber] = kNoTrackNumber;
  }
  return 0;
}

void RepairTrackNumber() {
  if (gCurrentTrack[kTrackNumber] != kNoTrackNumber) return;
  int32_t k = FindFreeTrackNumber();
  if (k < 0) return;
  gCurrentTrack[kTrackNumber] = uint8_t(k);
  ClaimTrackNumber();
}

int32_t FindFreeTrackNumber() {
  for (int32_t k = 0; k < kMaxTrackNumbers; ++k) {
    if (!IsNumberOwned(k)) {
      gCurrentTrackNumber = k;
      return k;
    }
  }
  return -1;
}

int32_t GetTrackNumberCount(int32_t flag) {
  if (flag == 0) return 0;
  int32_t count = 1;
  for (int32_t k = 0; k < kMaxTrackNumbers; ++k)
    if (gTrackNumberMap[k] < kMaxTrackNumbers && IsNumberOwned(k)) count = k + 1;
  return count;
}
