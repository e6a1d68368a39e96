#include "shell/app/song_activation.h"

#include "editors/views/track_switches.h"
#include "editors/song_list_durations.h"
#include "shell/app/locator_memories.h"
#include "shell/base/new_song_defaults.h"
#include "shell/windows/song_window_title.h"
#include "song/conductor/timebase.h"
#include "song/model/track_template.h"
#include "platform/memory/byte_order.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/sync_source.h"
#include "shell/menus/track_menu_state.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_numbers.h"
#include "song/model/window_redraw.h"

namespace {

constexpr uint16_t kFullTempoFactor = 2048;

// No movie is attached to songs yet.
bool SongHasMovie() { return false; }

}  // namespace

void LoadSongSettings() {
  if (!gCurrentSong) return;
  RebuildTrackNumberMap();
  ResetTrackTemplate();
  gNewSongDefaults.headerByte49 = gCurrentSong[kSongPrefByte49];
  gNewSongDefaults.headerByte219 = gCurrentSong[kSongDisplayShift];
  ApplyTimebase();
  if (!gSectionMode) {
    uint16_t factor = ReadU16BE(gCurrentSong + kSongTempoFactor);
    gTransportClock.tempoScale = factor ? factor : kFullTempoFactor;
  }
  UpdateSongDuration();  // leaves the conductor at the song's first tick
  SetSongWindowTitle();
  InvalidateTrackWindow();
  InvalidateEditorWindow();
  InvalidateSongListWindow();
}

void ActivateCurrentSong(bool reselectTrack) {
  if (!gCurrentSong) return;
  LoadSongSettings();
  LoadLocatorMemoriesFromSong();
  CommitTimeSelection();
  if (reselectTrack) SetRecordTrack(int8_t(gCurrentSong[kSongRecordTrack]));
  UpdateSyncModeForSong();
  InvalidateInstrumentWindow();
}

void UpdateSyncModeForSong() {
  int16_t source = GetSyncSource(), next = source;
  if (ScanTracksForMenuState(true)) {
    if (source == kSyncSourceInternal || source == kSyncSourceMovie) next = kSyncSourceSampleClock;
  } else if (source == kSyncSourceSampleClock || source == kSyncSourceExternalDevice ||
             (source == kSyncSourceMovie && !SongHasMovie())) {
    next = kSyncSourceInternal;
  } else if (source == kSyncSourceInternal && SongHasMovie()) {
    next = kSyncSourceMovie;
  }
  if (next != source) SetSyncSource(next);
}
