#include "song/smf/smf_import.h"

#include <cstring>
#include <vector>

#include "platform/memory/memory.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/audio_driver_lookup.h"
#include "shell/base/busy_cursor.h"
#include "shell/base/error_report.h"
#include "shell/base/file_access.h"
#include "shell/base/memory_reserve.h"
#include "shell/base/modifier_keys.h"
#include "shell/base/new_song_defaults.h"
#include "shell/base/progress_hooks.h"
#include "song/conductor/conductor_edits.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/markers.h"
#include "song/conductor/song_start_offset.h"
#include "song/conductor/tempo_tables.h"
#include "song/conductor/timebase.h"
#include "song/documents/document_file.h"
#include "song/documents/recent_file_hooks.h"
#include "song/events/event_index.h"
#include "song/events/event_list_merge.h"
#include "song/events/time_selection.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/plugin_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_slots.h"
#include "song/model/songs.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_entries.h"
#include "song/model/track_length.h"
#include "song/model/track_numbers.h"
#include "song/model/utility_iteration.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/prefs/window_layout.h"
#include "song/smf/smf_import_state.h"
#include "song/smf/smf_reader.h"
#include "song/smf/smf_song_tracks.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

SmfStartOffset gSmfStartOffset;

namespace {

constexpr uint8_t kDefaultOutputUnset = 127;
constexpr uint8_t kDefaultOutputSynth = 5;
constexpr uint8_t kOutputKindAudio = 2;
constexpr uint8_t kSongModeSections = 1;

// How the file's chunks become song tracks.
struct ImportPlan {
  SmfTiming timing;
  int32_t chunkCount = 1;    // chunks read
  int32_t trackCount = 1;    // song tracks the chunks make
  bool tempoChunk = false;   // chunk 0's events join the first track
};

// The chunks read so far; disposes their lists unless they were taken.
struct ParsedChunks {
  std::vector<SmfTrackInfo> chunks;
  ~ParsedChunks() {
    for (SmfTrackInfo& info : chunks) DisposeSmfTrackInfo(&info);
  }
};

void PlanImport(const SmfHeader& header, ImportPlan* plan) {
  int32_t count = header.trackCount == 0 ? 1 : header.trackCount;
  gSmfTracksLeftOut = 0;
  if (header.format == 0) {
    // A format-0 file is one track, whatever count its header gives.
    plan->trackCount = 1;
    plan->chunkCount = 1;
  } else {
    // Chunk 0 is the tempo track; a file that has only it still makes one track.
    int32_t tracks = count - 1;
    plan->trackCount = tracks < 1 ? 1 : tracks > kSmfMaxTracks ? kSmfMaxTracks : tracks;
    gSmfTracksLeftOut = tracks > kSmfMaxTracks ? tracks - kSmfMaxTracks : 0;
    plan->chunkCount = count < plan->trackCount + 1 ? count : plan->trackCount + 1;
  }
  plan->tempoChunk = header.format != 0 && plan->chunkCount > 1;
  SmfTiming& t = plan->timing;
  t.ticksPerQuarter = gTicksPerQuarter;
  if (header.division < 0) {
    int32_t fps = -int8_t(uint16_t(header.division) >> 8);
    t.smpte = true;
    t.framesPerSecond = fps == 24 || fps == 25 || fps == 29 ? fps : 30;
    t.ticksPerFrame = header.division & 0xFF;
    if (t.ticksPerFrame == 0) t.ticksPerFrame = 1;
  } else {
    t.division = header.division == 0 ? 1 : header.division;
  }
  PrepareSmfTiming(&t);
  gSmfFormat = header.format;
  gSmfSmpteTiming = t.smpte ? 1 : 0;
  gSmfDivision = t.smpte ? t.framesPerSecond * t.ticksPerFrame : t.division;
}

// The chunks one by one, the progress following them.
OSErr ReadChunksInto(const ImportPlan& plan, bool applyTempo, SmfTrackOptions* options, ParsedChunks* out) {
  for (int32_t i = 0; i < plan.chunkCount; ++i) {
    OSErr err = ReadSmfChunk(kSmfTrackChunk);
    if (err != noErr) return err;
    options->firstChunk = i == 0;
    out->chunks.emplace_back();
    SmfTrackInfo& info = out->chunks.back();
    err = ParseSmfTrackBytes(reinterpret_cast<const uint8_t*>(HandleData(gSmfChunk)),
                             uint32_t(GetHandleSize(gSmfChunk)), options, &info);
    DisposeHandleAndClear(&gSmfChunk);
    if (err != noErr) return err;
    if (info.startOffset.present) gSmfStartOffset = info.startOffset;
    if (applyTempo) {
      err = ApplySmfConductorChanges(info.changes, true);
      if (err != noErr) return err;
    }
    SpinBusyCursorIfDue();
    if (ProgressAskedToStop(i + 1)) return kProgressCancelledErr;
  }
  return noErr;
}

// Reads and parses every chunk of the plan. With applyTempo each chunk's conductor changes
// go into the current song before the next chunk is read (a time-code file converts its
// times through them).
OSErr ReadChunks(const ImportPlan& plan, bool namesSong, bool applyTempo, ParsedChunks* out) {
  SmfTrackOptions options;
  options.timing = &plan.timing;
  options.namesSong = namesSong;
  options.makeMarkers = !IsOptionModifierDown();
  BeginProgress(kProgressReadingMidiFile, plan.chunkCount);
  OSErr err = ReadChunksInto(plan, applyTempo, &options, out);
  EndProgress();
  return err;
}

// The list for song track k: its chunk's, with chunk 0's events merged into the first track.
// The chunks' lists are taken (or disposed) here. Null with *err on a memory shortage.
Handle TakeTrackList(const ImportPlan& plan, ParsedChunks* parsed, int32_t k, uint32_t* endTick,
                     OSErr* err) {
  *err = noErr;
  int32_t c = plan.tempoChunk ? k + 1 : k;
  SmfTrackInfo& info = parsed->chunks[size_t(c)];
  *endTick = info.endTick;
  if (!(plan.tempoChunk && k == 0)) {
    Handle list = info.events;
    info.events = Handle();
    return list;
  }
  SmfTrackInfo& tempo = parsed->chunks[0];
  Handle merged = MergeEventLists(info.events, tempo.events, err);
  if (!merged) return Handle();
  if (tempo.endTick > *endTick) *endTick = tempo.endTick;
  DisposeSmfTrackInfo(&info);
  DisposeSmfTrackInfo(&tempo);
  return merged;
}

// --- a new song ---------------------------------------------------------------------------

// Disposes a song block that is not in the song table, with its tracks and lists.
void DisposeDetachedSong(Handle song) {
  SelectSong(song);
  ForEachTrack(DisposeTrackContents, nullptr);
  DisposeSongLists();
  SetCurrentSong(Handle());
  DisposeHandle(song);
}

// A song block of n tracks, made current but not put into the song table.
Handle MakeDetachedSong(int32_t n, OSErr* err) {
  Handle song = NewHandleClearWithReserve(SongBlockSize(n));
  if (!song) {
    *err = gLastMemError ? gLastMemError : OSErr(memFullErr);
    return Handle();
  }
  LockHandleHigh(song);
  SelectSong(song);
  gCurrentChildIndex = -1;
  InitSongHeader();
  *err = NewSongLists();
  if (*err == noErr && !SongHeaderView(gCurrentSong).ConductorMap()) *err = memFullErr;
  if (*err == noErr) *err = CreateSongTracks(n, 1);
  if (*err != noErr) {
    DisposeDetachedSong(song);
    return Handle();
  }
  return song;
}

// Gives the current track the list taken from the file's track k, with that track's name,
// instrument and channel (the tempo track's channels join the first track's).
void SetUpSmfTrack(const ImportPlan& plan, const ParsedChunks& parsed, int32_t k, Handle list,
                   uint32_t endTick, ConstStr255Param fileName) {
  const SmfTrackInfo& info = parsed.chunks[size_t(plan.tempoChunk ? k + 1 : k)];
  InstallSmfTrackList(list, endTick);
  NameSmfTrack(info, fileName);
  AssignSmfInstrumentByName(info);
  SettleSmfTrackChannel(info.channelMask |
                        (plan.tempoChunk && k == 0 ? parsed.chunks[0].channelMask : 0));
  SettleSmfTrackOutput();
}

OSErr BuildNewSongTracks(const ImportPlan& plan, ParsedChunks* parsed, ConstStr255Param fileName) {
  NameSmfSong(parsed->chunks[0], fileName);
  for (int32_t k = 0; k < plan.trackCount; ++k) {
    SetCurrentTrackIndex(k);
    uint32_t endTick = 1;
    OSErr err = noErr;
    Handle list = TakeTrackList(plan, parsed, k, &endTick, &err);
    if (err != noErr) return err;
    SetUpSmfTrack(plan, *parsed, k, list, endTick, fileName);
  }
  SetCurrentTrackIndex(0);
  OSErr err = AddSmfMarkers(parsed->chunks);
  if (err != noErr) return err;
  // The conductor end is the tick after the last record once the meter changes are on bars.
  SnapMeterChangesToBars();
  StoreConductorEndTick();
  UpdateSongEnd();
  RefreshMarkers(1);
  return noErr;
}

// Moves the finished song's block into the handle of the song it replaces, whose tracks and
// lists are disposed first: the slot keeps its handle, so contexts that callers saved stay
// valid. Returns the handle that holds the song (the new one when the old cannot grow).
Handle TakeOverSongHandle(Handle old, Handle song) {
  ForEachTrack(DisposeTrackContents, nullptr);
  DisposeSongLists();
  Size size = GetHandleSize(song);
  HUnlock(old);
  SetHandleSize(old, size);
  if (MemError() != noErr) {
    DisposeHandle(old);
    return song;
  }
  std::memcpy(HandleData(old), HandleData(song), size_t(size));
  DisposeHandle(song);
  LockHandleHigh(old);
  return old;
}

// Puts the finished song into the current slot, in place of the song that held it (which
// the clipboard or the undo ring may keep; it is then only taken out of the slot).
void InstallNewSong(Handle song) {
  int32_t slot = gCurrentSongIndex;
  Handle old = GetSongHandleAt(slot);
  if (old && old != song) {
    SelectSong(old);
    DisposeAllEventIndexes();
    if (!IsSongLocked()) song = TakeOverSongHandle(old, song);
  }
  SetSongHandleAt(slot, song);
  SelectSong(song);
  gCurrentChildIndex = -1;
  WriteU16BE(gCurrentSong + kSongId, 0);
  AssignUniqueSongId();
  WriteU16BE(gCurrentSong + kSongId, gSongIdCounter);
  WriteU16BE(gCurrentSong + kSongCurrentEntry, 0);
  UpdateCurrentTrackPtr();
  RebuildTrackNumberMap();
  CacheSongListInClock();
  // The overview's indexes described the song that was current: they are built again
  // for the new one when its tracks are drawn.
  DisposeAllEventIndexes();
}

OSErr ImportIntoNewSong(const ImportPlan& plan, ConstStr255Param fileName) {
  if (gCurrentSongIndex < 0 || gCurrentSongIndex >= gSongCount) return paramErr;
  ConductorState savedState = gConductorState;
  PushSongContext();
  OSErr err = noErr;
  Handle song = MakeDetachedSong(plan.trackCount, &err);
  if (song) {
    SetSmfDefaultConductor(plan.timing.ticksPerQuarter);
    ParsedChunks parsed;
    err = ReadChunks(plan, true, true, &parsed);
    if (err == noErr) err = BuildNewSongTracks(plan, &parsed, fileName);
    if (err != noErr) DisposeDetachedSong(song);
  }
  PopSongContext();
  if (err != noErr) {
    gConductorState = savedState;
    RebuildTrackNumberMap();
    return err;
  }
  InstallNewSong(song);
  return noErr;
}

// --- merging into the current song ----------------------------------------------------------

// What a merge changes, kept so that a failure puts the song back as it was.
struct MergeBackup {
  Handle markers;
  Handle conductor;
  uint8_t key = 0;
  int32_t songSize = 0;
  int32_t trackCount = 0;
  uint16_t currentEntry = 0;
};

OSErr SaveMergeBackup(MergeBackup* b) {
  SongHeaderView song(gCurrentSong);
  b->key = song.Key();
  b->songSize = int32_t(GetCurrentSongSize());
  b->trackCount = song.TrackCount();
  b->currentEntry = song.CurrentEntry();
  OSErr err = noErr;
  if (song.MarkerList()) err = DuplicateHandleWithReserve(song.MarkerList(), &b->markers);
  if (err == noErr && song.ConductorMap())
    err = DuplicateHandleWithReserve(song.ConductorMap(), &b->conductor);
  if (err != noErr) {
    DisposeHandleAndClear(&b->markers);
    DisposeHandleAndClear(&b->conductor);
  }
  return err;
}

// Copies the saved bytes back into the song's own lists and removes added tracks.
void RestoreMergeBackup(MergeBackup* b) {
  SongHeaderView song(gCurrentSong);
  for (auto [field, saved] : {std::pair{song.MarkerList(), b->markers},
                              std::pair{song.ConductorMap(), b->conductor}}) {
    if (!field || !saved) continue;
    SetHandleSize(field, GetHandleSize(saved));
    std::memcpy(HandleData(field), HandleData(saved), size_t(GetHandleSize(saved)));
  }
  song.SetKey(b->key);
  NoteConductorMapChanged();
  if (int32_t(GetCurrentSongSize()) > b->songSize) {
    for (int32_t i = GetSongTrackCount() - 1; i >= b->trackCount; --i) {
      SetCurrentTrackIndex(i);
      FreeTrackHandles();
    }
    ResizeCurrentSong(b->songSize);
    SongHeaderView(gCurrentSong).SetTrackCount(uint16_t(b->trackCount));
  }
  WriteU16BE(gCurrentSong + kSongCurrentEntry, b->currentEntry);
  UpdateCurrentTrackPtr();
}

void DisposeMergeBackup(MergeBackup* b) {
  DisposeHandleAndClear(&b->markers);
  DisposeHandleAndClear(&b->conductor);
}

// Adds a numbered track behind the song's tracks and makes it current.
OSErr AddNumberedTrack() {
  if (AddTrackEntry(kTrackEntrySize) != noErr) return memFullErr;
  gCurrentTrack[kTrackNumber] = kNoTrackNumber;
  RepairTrackNumber();
  return noErr;
}

// All chunk lists merged into one, for a file that becomes one track.
Handle MergeAllChunks(ParsedChunks* parsed, uint32_t* endTick, OSErr* err) {
  Handle all = parsed->chunks[0].events;
  parsed->chunks[0].events = Handle();
  *endTick = parsed->chunks[0].endTick;
  for (size_t c = 1; c < parsed->chunks.size(); ++c) {
    SmfTrackInfo& info = parsed->chunks[c];
    Handle merged = MergeEventLists(all, info.events, err);
    DisposeHandle(all);
    if (!merged) return Handle();
    all = merged;
    if (info.endTick > *endTick) *endTick = info.endTick;
    DisposeSmfTrackInfo(&info);
  }
  return all;
}

// The current track's list with the file's events merged in, not yet installed.
Handle PrepareCurrentTrackMerge(ParsedChunks* parsed, uint32_t* endTick, OSErr* err) {
  Handle list = MergeAllChunks(parsed, endTick, err);
  if (!list) return Handle();
  Handle merged = MergeEventLists(GetCurrentTrackEventList(), list, err);
  DisposeHandle(list);
  return merged;
}

OSErr MergeIntoNewTracks(const ImportPlan& plan, ParsedChunks* parsed, ConstStr255Param fileName) {
  for (int32_t k = 0; k < plan.trackCount; ++k) {
    uint32_t endTick = 1;
    OSErr err = noErr;
    Handle list = TakeTrackList(plan, parsed, k, &endTick, &err);
    if (err != noErr) return err;
    err = AddNumberedTrack();
    if (err != noErr) {
      DisposeHandle(list);
      return err;
    }
    SetUpSmfTrack(plan, *parsed, k, list, endTick, fileName);
  }
  return noErr;
}

// Puts the parsed chunks into the current song; on a failure the song is put back as it was.
OSErr CommitMerge(const ImportPlan& plan, ParsedChunks* parsed, ConstStr255Param fileName) {
  MergeBackup backup;
  OSErr err = SaveMergeBackup(&backup);
  if (err != noErr) return err;
  if (!HasValidCurrentTrack()) err = AddNumberedTrack();
  bool newTracks = plan.trackCount > 1 ||
                   SongHeaderView(gCurrentSong).SongMode() == kSongModeSections ||
                   TrackEntryView(gCurrentTrack).OutputKind() == kOutputKindAudio;
  Handle prepared;
  uint32_t preparedEnd = 1;
  if (err == noErr && newTracks) err = MergeIntoNewTracks(plan, parsed, fileName);
  if (err == noErr && !newTracks) prepared = PrepareCurrentTrackMerge(parsed, &preparedEnd, &err);
  if (err == noErr) err = AddSmfMarkers(parsed->chunks);
  for (size_t c = 0; err == noErr && c < parsed->chunks.size(); ++c)
    err = ApplySmfConductorChanges(parsed->chunks[c].changes, false);
  if (err != noErr) {
    DisposeHandleAndClear(&prepared);
    RestoreMergeBackup(&backup);
  } else if (prepared) {
    // The one change of a track that may be playing: bracketed for playback.
    BeginTrackEdit();
    InstallSmfTrackList(prepared, preparedEnd);
    NameUnnamedSmfTrack(parsed->chunks.back(), fileName);
    EndTrackEdit();
  }
  DisposeMergeBackup(&backup);
  return err;
}

struct MergeCommitContext {
  const ImportPlan* plan;
  ParsedChunks* parsed;
  ConstStr255Param fileName;
  OSErr err;
};

int32_t RunMergeCommit(void* context) {
  MergeCommitContext* c = static_cast<MergeCommitContext*>(context);
  c->err = CommitMerge(*c->plan, c->parsed, c->fileName);
  return 0;
}

OSErr ImportIntoCurrentSong(ImportPlan plan, uint32_t mergeTick, int32_t undoKind,
                            ConstStr255Param fileName) {
  if (!gCurrentSong) return paramErr;
  plan.timing.offset = (mergeTick < kSmfMaxTick ? mergeTick : kSmfMaxTick) - 1;
  ParsedChunks parsed;
  OSErr err = ReadChunks(plan, gCurrentSong[kSongName] == 0, false, &parsed);
  if (err != noErr) return err;
  // One undo step over every track (the merge may add tracks), once the whole file has been
  // read; without an undo ring the merge runs as it is.
  MergeCommitContext commit{&plan, &parsed, fileName, noErr};
  if (gUndoRing) {
    err = RunUndoableEditClearingScope(RunMergeCommit, &commit);
    if (err != noErr) return err;
    SetCurrentUndoKind(undoKind > 0 ? undoKind : 0);
  } else {
    RunMergeCommit(&commit);
  }
  if (commit.err != noErr) {
    RebuildTrackNumberMap();
    return commit.err;
  }
  NameSmfSong(parsed.chunks[0], fileName);
  UpdateSongEnd();
  RefreshMarkers(1);
  DisposeAllEventIndexes();
  return noErr;
}

// The file's SMPTE offset becomes the song start offset; its frame rate becomes the
// document's and the program's first, so that the offset is counted at that rate.
void ApplySmfStartOffset() {
  const SmfStartOffset& o = gSmfStartOffset;
  if (!o.present) return;
  if (o.rateCode != gSmpteRateCode) {
    SetSmpteFrameRate(o.rateCode);
    gSongFileHeader[kFileHeaderFrameRate] = gSmpteRateCode;
  }
  TimeCodeRecord tc;
  tc.hours = o.hours;
  tc.minutes = o.minutes;
  tc.seconds = o.seconds;
  tc.frames = o.frames;
  tc.subframes = o.subframes;
  gSongStartOffset = TimecodeToSubframes(tc);
}

// The output of the tracks the import makes, when the default is unset or an audio driver:
// the song's first plug-in device, or the built-in synth without one.
void ChooseSmfTrackOutput() {
  NewSongDefaults& d = gNewSongDefaults;
  if (d.trackType != kDefaultOutputUnset && !HasAudioDriverEntry(d.trackType)) return;
  if (CountSongPluginDevices() > 0) {
    d.trackType = kDeviceKindPlugin;
    d.trackMidiOutput = GetSongPluginDeviceId(0);
  } else {
    d.trackType = kDefaultOutputSynth;
  }
}

}  // namespace

OSErr ParseStandardMidiFile(ConstStr255Param fileName, uint32_t mergeTick, int32_t undoKind,
                            bool /*songLocked*/) {
  gStreamDiskFullError = noErr;
  gInsufficientMemoryShown = 0;
  TimeSelection savedRange = gTimeSelection;
  SpinBusyCursor();
  gSmfStartOffset = SmfStartOffset();
  SmfHeader header;
  OSErr err = ReadSmfHeader(&header);
  DisposeHandleAndClear(&gSmfChunk);
  if (err != noErr) return err;
  ImportPlan plan;
  PlanImport(header, &plan);
  NewSongDefaults savedDefaults = gNewSongDefaults;
  ChooseSmfTrackOutput();
  err = mergeTick == 0 ? ImportIntoNewSong(plan, fileName)
                       : ImportIntoCurrentSong(plan, mergeTick, undoKind, fileName);
  DisposeHandleAndClear(&gSmfChunk);
  gNewSongDefaults = savedDefaults;
  if (err == noErr) {
    ApplySmfStartOffset();
    SetSongModified();
  }
  RedrawAll(1);
  gTimeSelection = savedRange;
  RestoreArrowCursor();
  return err;
}

OSErr ImportStandardMidiFile(const FSSpec* fileSpec, uint32_t mergeTick, int32_t undoKind) {
  int16_t refNum = 0;
  OSErr err = OpenDataFork(fileSpec, fsRdPerm, &refNum);
  if (err != noErr) return err;
  int16_t savedStream = gStreamRefNum;
  BeginStream(refNum);
  bool locked = IsSongLocked();
  err = ParseStandardMidiFile(fileSpec->name, mergeTick, undoKind, locked);
  CloseFork(refNum);
  gStreamRefNum = savedStream;
  if (err == noErr && mergeTick == 0 && !locked) {
    if (gStreamError == noErr && gStreamDiskFullError == noErr)
      BringWindowOfKindToFront(kMainWindowKind);
    RememberImportFile(fileSpec);
  }
  if (err == noErr && gSmfTracksLeftOut > 0)
    ReportFileNote(kSmfTracksLeftOutMessage, fileSpec->name, gSmfTracksLeftOut);
  return err;
}
