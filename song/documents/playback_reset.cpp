#include "song/documents/playback_reset.h"

#include <cstring>

#include "audio/engine/conductor_engine_state.h"
#include "audio/engine/instruments_engine_channels.h"
#include "song/model/media_hooks.h"
#include "sequencer/transport/undo_transport_position.h"
#include "song/model/child_sequences.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"

namespace {

void PrepareSectionPlayback() {
  if (gSectionMode) gTransportFlagWord |= kTransportFlagSectionReset;
  uint8_t status = gTransportStatusByte;
  if (PushSongContext() == noErr) {
    DrainIdleTasks();
    PopSongContext();
  }
  gTransportStatusByte = status;
  gTransportFlagWord &= ~(kTransportFlagPlayPending | kTransportFlagLocatePending);
  if (IsChildSequenceSelected() && IsSongLink()) {
    Handle linked = FindLinkedSong();
    if (linked) SelectSong(linked);
  }
  // The changed child marks the song header, so that the song's players pick it up.
  if (IsChildSequenceSelected() && gCurrentSong) gCurrentSong[kSongFlags] |= kSongFlagEditedWhilePlaying;
}

}  // namespace

void ResetPlaybackState(int32_t stop) {
  if (gAudioEnginePlayState != 0 && (stop || gAudioEnginePlayState == 1)) StopAudioEngine(0);
  bool jukebox = IsJukeboxPlaying();
  uint8_t kept[kTransportPositionBlockSize];
  bool keptPosition = false;
  if ((!jukebox || !stop) && !gSectionMode) {
    std::memcpy(kept, gTransportPositionBlock, sizeof kept);
    keptPosition = true;
  }
  if (gSectionMode || (jukebox && stop)) PrepareSectionPlayback();
  if (keptPosition) std::memcpy(gTransportPositionBlock, kept, sizeof kept);
}
