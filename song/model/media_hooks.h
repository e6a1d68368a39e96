// What the song asks of the media: a track's audio files and movies, whether audio is shown,
// and the jukebox's play state. Installed by the media at start-up (InstallMediaHooks); an
// entry not installed does nothing. All of them run on the main thread.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct SongMediaHooks {
  void (*disposeTrackMedia)();
  void (*disposeAlternateAudio)();  // the current track's alternate audio record (+256)
  bool (*isTrackAudioReady)();
  bool (*isAudioShown)();
  bool (*isJukeboxPlaying)();
  void (*waitForOverviewThread)();  // returns once no waveform overview is being made
  // A duplicated audio record gets an overview chain of its own (or none); *failed as below.
  void (*copyTrackAudioOverview)(Handle record, bool* failed);
  // A track entry just read from a document: its active audio record's regions merged.
  void (*normalizeReadTrackRegions)(uint8_t* entry);
};
extern SongMediaHooks gSongMediaHooks;

// Disposes the current track's media (movie and audio files in use).
void DisposeTrackMedia();
// Disposes the current track's alternate audio record with its blocks and clears its slot.
// Not installed: the record stays.
void DisposeAlternateTrackAudio();
// True when audio overviews can be shown and the current track's audio record is ready.
// Not installed: false.
bool IsTrackAudioReady();
// True when the program shows audio (and region lists take part in time conversions).
// Not installed: false.
bool IsAudioShown();
// True while the jukebox plays. Not installed: false.
bool IsJukeboxPlaying();
// Returns once no waveform overview is being made. Not installed: at once.
void WaitForOverviewJobs();
// For a record copied byte for byte: its overview chain replaced by copies, block by block
// (nothing once *failed is set; *failed set at a copy that fails). Not installed: the copy
// carries no overview (a cache, made again when needed).
void CopyTrackAudioOverviewOf(Handle record, bool* failed);
// The track reader's last step for a track entry: its active region list normalised. Not
// installed: the list stays as it was stored.
void NormalizeReadTrackRegions(uint8_t* entry);
