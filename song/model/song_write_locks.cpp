#include "song/model/song_write_locks.h"

#include <initializer_list>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/iteration_abort.h"
#include "shell/base/memory_reserve.h"
#include "song/instruments/controller_tables.h"
#include "song/model/song_context.h"
#include "song/model/song_iterators.h"
#include "song/model/song_layout.h"
#include "song/model/utility_iteration.h"

namespace {

constexpr uint8_t kTrackStateLocked = 0x01;  // bit 0 of the track's state flags (byte 121)

Handle TrackHandle(int32_t offset) { return Handle(ReadU32BE(gCurrentTrack + offset)); }

int32_t LockTrackAndChildren(void* arg) {
  LockTrackHandles(arg);
  ForEachChildSequenceAll(
      [](void* a) -> int32_t {
        IterateTracks(LockTrackAndChildren, a);
        return 0;
      },
      arg);
  return 0;
}

int32_t UnlockTrackAndChildren(void* arg) {
  UnlockTrackHandles(arg);
  ForEachChildSequenceAll(
      [](void* a) -> int32_t {
        IterateTracks(UnlockTrackAndChildren, a);
        return 0;
      },
      arg);
  return 0;
}

}  // namespace

int32_t LockTrackHandles(void*) {
  if (!gCurrentSong) return 0;
  for (int32_t offset : {kTrackEventList, kTrackSectionList, kTrackRegionList}) {
    Handle h = TrackHandle(offset);
    if (h) LockHandleHigh(h);
  }
  return 0;
}

int32_t UnlockTrackHandles(void* arg) {
  const auto* options = static_cast<const TrackUnlockOptions*>(arg);
  if (!gCurrentSong) return 0;
  if (Handle events = TrackHandle(kTrackEventList)) {
    WriteU32BE(gCurrentTrack + kTrackFirstEventOffset, 0);
    WriteU32BE(gCurrentTrack + kTrackPlayCursorStart, 0);
    gCurrentTrack[kTrackOutputFlags] &= uint8_t(~kTrackStateLocked);
    HUnlock(events);
  }
  if (Handle sections = TrackHandle(kTrackSectionList)) {
    HUnlock(sections);
    if (GetHandleSize(sections) >= kSectionListFourthWord + 4) {
      if (options && options->keep)
        WriteU32BE(gCurrentTrack + kTrackPendingWord, ReadU32BE(*sections + kSectionListFourthWord));
      WriteU32BE(*sections + kSectionListFourthWord, 0);
    }
  }
  if (Handle regions = TrackHandle(kTrackRegionList)) HUnlock(regions);
  return 0;
}

void LockConductorHandle() {
  if (!gCurrentSong) return;
  Handle map(ReadU32BE(gCurrentSong + kSongConductorMap));
  if (map) LockHandleHigh(map);
}

void UnlockConductorHandle() {
  if (!gCurrentSong) return;
  Handle map(ReadU32BE(gCurrentSong + kSongConductorMap));
  if (map) HUnlock(map);
}

void LockSongHandlesForWrite() {
  gIterationAbort = 0;
  IterateTracks(LockTrackAndChildren, nullptr);
  LockConductorHandle();
  for (int32_t k = 0; k < kControllerTableKinds; ++k) {
    if (gControllerMaps[k]) LockHandleHigh(gControllerMaps[k]);
    if (gChannelRows[k]) LockHandleHigh(gChannelRows[k]);
  }
}

void UnlockSongHandlesAfterWrite(const TrackUnlockOptions* options) {
  uint8_t savedAbort = gIterationAbort;
  gIterationAbort = 0;
  IterateTracks(UnlockTrackAndChildren, const_cast<TrackUnlockOptions*>(options));
  UnlockConductorHandle();
  for (int32_t k = 0; k < kControllerTableKinds; ++k) {
    if (gControllerMaps[k]) HUnlock(gControllerMaps[k]);
    if (gChannelRows[k]) HUnlock(gChannelRows[k]);
  }
  gIterationAbort = savedAbort;
}
