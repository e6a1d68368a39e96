#include "song/model/media_hooks.h"

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"

SongMediaHooks gSongMediaHooks;

void DisposeTrackMedia() {
  if (gSongMediaHooks.disposeTrackMedia) gSongMediaHooks.disposeTrackMedia();
}

void DisposeAlternateTrackAudio() {
  if (gSongMediaHooks.disposeAlternateAudio) gSongMediaHooks.disposeAlternateAudio();
}

bool IsTrackAudioReady() {
  return gSongMediaHooks.isTrackAudioReady && gSongMediaHooks.isTrackAudioReady();
}

bool IsAudioShown() { return gSongMediaHooks.isAudioShown && gSongMediaHooks.isAudioShown(); }

bool IsJukeboxPlaying() {
  return gSongMediaHooks.isJukeboxPlaying && gSongMediaHooks.isJukeboxPlaying();
}

void WaitForOverviewJobs() {
  if (gSongMediaHooks.waitForOverviewThread) gSongMediaHooks.waitForOverviewThread();
}

void CopyTrackAudioOverviewOf(Handle record, bool* failed) {
  constexpr int32_t kOverviewAt = 118;
  if (gSongMediaHooks.copyTrackAudioOverview) {
    gSongMediaHooks.copyTrackAudioOverview(record, failed);
  } else if (GetHandleSize(record) >= kOverviewAt + 4) {
    WriteU32BE(HandleData(record) + kOverviewAt, 0);
  }
}

void NormalizeReadTrackRegions(uint8_t* entry) {
  if (gSongMediaHooks.normalizeReadTrackRegions) gSongMediaHooks.normalizeReadTrackRegions(entry);
}
