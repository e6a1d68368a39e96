#include "media/media_hooks.h"

#include "media/background_jobs.h"
#include "media/ogg_stream_decode.h"

#include "song/model/media_hooks.h"

namespace {

// Interim: no media is ever attached, so there is nothing to dispose.
void DisposeCurrentTrackMedia() {}

// Interim: audio is not shown until the audio engine exists.
bool IsAudioOnScreen() { return false; }

// Interim: no jukebox yet.
bool IsJukeboxOn() { return false; }

}  // namespace

void InstallMediaHooks() {
  gSongMediaHooks.disposeTrackMedia = DisposeCurrentTrackMedia;
  gSongMediaHooks.isAudioShown = IsAudioOnScreen;
  gSongMediaHooks.isJukeboxPlaying = IsJukeboxOn;
  gSongMediaHooks.waitForOverviewThread = WaitForOverviewThread;
  InstallOggStreamHooks();
}
