#include "song/documents/playback_reset.h"

#include "song/model/audio_engine_hooks.h"
#include "song/model/child_sequences.h"
#include "song/model/media_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/transport_hooks.h"

namespace {

// The song side of preparing section playback again: the linked song becomes current, and the
// changed child marks the song header, so that the song's players pick it up.
void SelectEditedSection() {
  if (IsChildSequenceSelected() && IsSongLink()) {
    Handle linked = FindLinkedSong();
    if (linked) SelectSong(linked);
  }
  if (IsChildSequenceSelected() && gCurrentSong) gCurrentSong[kSongFlags] |= kSongFlagEditedWhilePlaying;
}

}  // namespace

void ResetPlaybackState(int32_t stop) {
  uint16_t playState = GetAudioEnginePlayState();
  if (playState != 0 && (stop || playState == 1)) StopAudioEngineChannels(0);
  bool jukebox = IsJukeboxPlaying();
  bool keepPosition = (!jukebox || !stop) && !gSectionMode;
  bool prepare = gSectionMode || (jukebox && stop);
  ResetTransportAfterEdit(prepare, gSectionMode != 0, keepPosition);
  if (prepare) SelectEditedSection();
}
