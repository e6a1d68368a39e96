// The tick scheduler: once per tick it counts beats and bars, ends due notes, steps the
// playing song's conductor map and walks every track of the playing song and of the child
// sequences it has started, sending each event whose time has come to the track's output or
// to each part of its instruments.
//
// Play state that is never stored (cursors, track ticks, the child chain) lives in records
// prepared on the main thread by PreparePlayback, so nothing is allocated on the clock task.
// Cursors are byte offsets into the event lists; every walk is bounded by the list's size.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/memory/mac_types.h"
#include "song/instruments/driver_procs.h"

constexpr uint32_t kNoCursor = 0xFFFFFFFFu;
constexpr int32_t kMaxChildDepth = 8;

// TrackEntry byte 13 (flags A) bits the scheduler reads.
constexpr uint8_t kTrackSounds = 0x04;
constexpr uint8_t kTrackKeepSections = 0x10;  // the section reader is kept on restart
constexpr uint8_t kTrackInstrumentTrack = 0x20;
constexpr uint8_t kTrackLoops = 0x40;
// Offset of a plain track's DriverProcId.
constexpr int32_t kTrackDriverProc = 208;

// Track play flags (flags B) and type flags.
constexpr uint8_t kTrackCountOnly = 0x01;
constexpr uint8_t kTrackReseek = 0x02;
constexpr uint8_t kTrackReseeked = 0x04;
constexpr uint16_t kTrackTypeDrum = 0x04;
// Set whenever the track wrapped or was re-seeked; from then on the events marked as not to
// be sent again (event flags bit 2 on controllers, bit 3 on programs) are passed over.
constexpr uint16_t kTrackTypeWrapped = 0x08;
constexpr uint8_t kEventNoResendController = 0x04;
constexpr uint8_t kEventNoResendProgram = 0x08;

// Main-thread requests of a track (TrackPlayState::requests).
constexpr uint8_t kTrackRequestFlush = 0x08;     // end its notes at the next tick (when muted)
constexpr uint8_t kTrackRequestSettings = 0x10;  // take its play settings from the record again

// Pattern modes (TrackEntry kTrackPlayMode): non-zero plays only child sequence references.
constexpr uint8_t kTrackPatternStays = 3;  // a pattern track whose sections do not advance

struct SongPlayState;

struct TrackPlayState {
  int32_t index = 0;            // TrackEntry number in the song block
  int32_t levelRow = -1;        // the row its note levels are reported for (tracks of the top song)
  uint32_t cursor = kNoCursor;  // byte offset of the next event in the event list
  uint32_t trackTick = 0;
  std::atomic<uint8_t> flagsB{0};
  std::atomic<uint8_t> requests{0};  // kTrackRequestFlush, kTrackRequestSettings
  uint16_t typeFlags = 0;
  // The track's play settings, loaded from its TrackEntry at play and at a request.
  int16_t grid = 0;
  int16_t transpose = 0;
  int16_t velocityOffset = 0;
  uint8_t mode = 0;
  int32_t section = 0;          // the section reader: the section playing
  uint16_t sectionRepeats = 0;  // and the times it has played
  std::vector<SongPlayState*> children;  // per child slot of the track
};

struct SongPlayState {
  Handle song;
  uint32_t conductorTick = 0;
  uint32_t conductorCursor = 0;  // byte offset into the conductor map
  uint8_t flags = 1;             // bit 0 sounds, bit 1 flush, bit 2 note-offs pending (below)
  bool active = false;           // a child sequence that plays
  uint32_t countdown = 0;
  uint32_t startTick = 0;
  SongPlayState* nextActive = nullptr;
  std::vector<std::unique_ptr<TrackPlayState>> tracks;
};

// SongPlayState::flags: a note of the song was played and its note-off may still be pending.
constexpr uint8_t kSongPlayNoteOffsPending = 0x04;

// Prepares the song (and, to kMaxChildDepth, the child sequences its tracks hold) for playback
// from position tick (the next fire plays tick + 1): cursors, track ticks, the conductor map
// position, the clock's beat counters and its tempo. Main thread, clock stopped or locked.
OSErr PreparePlayback(Handle song, uint32_t tick);
// Sets the clock's bar, beat and tick counters to a song tick as the song's meters count it
// (with withMeter, the beats per bar and ticks per beat too), so that a start inside a bar
// keeps its beats on the grid. PreparePlayback places them at the first tick it plays.
void PlaceBeatCounters(uint8_t* song, uint32_t tick, bool withMeter);
// Forgets the prepared state (clock stopped).
void ReleasePlayback();
SongPlayState* GetPlayingSongState();
// Sends now the pending note-offs of every track of one song's play state; the second form
// does so for each song of the playing chain (the playing song and the child sequences that
// play) and clears their note-offs-pending flag. Clock lock held.
void FlushNoteOffsOfSong(SongPlayState* song);
void FlushNoteOffsOfAllSongs();
// The play state of a track of the playing song (null when there is none).
TrackPlayState* GetTrackPlayState(int32_t index);
// Main-thread requests, consumed at the next tick.
void RequestTrackReseek(int32_t index);
void RequestTrackFlush(int32_t index);
// A play setting of TrackEntry index of song changed: every prepared play state of that song
// block takes the settings again at its next tick. Main thread.
void RequestTrackSettingsReload(Handle song, int32_t index);
// Copies the play settings of a TrackEntry into its play state.
void LoadTrackPlaySettings(const uint8_t* entry, TrackPlayState* track);

// The tick at which playback ends (0: none).
extern uint32_t gPlayEndTick;

uint32_t TickScheduler(void* arg);
void AdvanceConductorTick();

// The first conductor record at or after tick (the first record for ticks at or before it),
// as a byte offset into the map of the song.
uint32_t FindConductorRecord(const uint8_t* song, uint32_t tick);
// Sends one event of a track: notes get their note-off scheduled first (nothing is sent when
// no node is free); controllers may be mapped. Returns the send result.
int32_t SendTrackEvent(DriverProcId send, const uint8_t* event, uint8_t output,
                       TrackPlayState* track, uint8_t device, uint8_t status, uint8_t kind);
// Folds a transposed key into 0..127 by octaves.
uint8_t FoldKey(int32_t key);
void StartChildSequence(SongPlayState* parent, TrackPlayState* track, const uint8_t* event,
                        bool sounds);
