#include "song/model/media_hooks.h"

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
