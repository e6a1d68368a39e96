#include "song/model/track_entries.h"

#include <cstring>

#include "platform/memory/memory.h"
#include "shell/base/new_song_defaults.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/plugin_hooks.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/child_sequences.h"
#include "song/model/editor_hooks.h"
#include "song/model/media_hooks.h"
#include "song/model/song_context.h"
#include "song/model/song_iterators.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_numbers.h"
#include "song/model/track_template.h"
#include "song/model/utility_iteration.h"
#include "song/model/utility_track_access.h"
#include "song/undo/undo_ring.h"

namespace {

bool IsRealTrack() { return gCurrentSong && gCurrentTrack != gTrackTemplate; }

// Byte offset just behind the last TrackEntry of the current song.
int32_t TrackEntriesEnd() {
  int32_t count = GetSongTrackCount();
  if (count == 0) return kSongHeaderSize;
  uint8_t* last = GetTrackEntryAt(count - 1);
  if (!last) return int32_t(GetCurrentSongSize());
  return int32_t(last - gCurrentSong) + ReadI16BE(last + kTrackLength);
}

void DisposeTrackHandleField(int32_t field) {
  Handle h(ReadU32BE(gCurrentTrack + field));
  WriteU32BE(gCurrentTrack + field, 0);
  if (h) DisposeHandle(h);
}

}  // namespace

OSErr AddTrackEntry(int32_t size) {
  if (!gCurrentSong || size < kTrackEntrySize) return 1;
  int32_t end = TrackEntriesEnd();
  if (ResizeCurrentSong(end + size) != noErr) return 1;
  int32_t count = GetSongTrackCount();
  WriteU16BE(gCurrentSong + kSongTrackCount, uint16_t(count + 1));
  WriteU16BE(gCurrentSong + kSongCurrentEntry, uint16_t(count));
  gCurrentTrack = gCurrentSong + end;
  InitTrackEntry(size, 1, gCurrentTrackNumber);
  return noErr;
}

bool AddTrackEntryChecked(int32_t size) {
  gIterationAbort = AddTrackEntry(size) != noErr ? 1 : 0;
  return gIterationAbort == 0;
}

bool FindTrackWithNumber(int32_t number, int32_t* index) {
  int32_t count = GetSongTrackCount();
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* entry = GetTrackEntryAt(i);
    if (!entry) break;
    if (entry[kTrackNumber] == number) {
      if (index) *index = i;
      return true;
    }
  }
  return false;
}

bool FindTrackWithCurrentNumber(int32_t* index) {
  return FindTrackWithNumber(gCurrentTrackNumber, index);
}

OSErr AddOrResizeTrackForNumber(int32_t size) {
  int32_t index = 0;
  if (!FindTrackWithCurrentNumber(&index)) return AddTrackEntry(size);
  SetCurrentTrackIndex(index);
  return ResizeCurrentTrackEntry(size);
}

OSErr SelectOrAddTrackForNumber() {
  int32_t index = 0;
  if (FindTrackWithCurrentNumber(&index)) {
    SetCurrentTrackIndex(index);
    return noErr;
  }
  OSErr err = AddTrackEntry(kTrackEntrySize);
  if (err == noErr) ClaimTrackNumber();
  return err;
}

bool EnsureCurrentTrack() {
  if (HasValidCurrentTrack()) return true;
  return AddTrackEntryChecked(kTrackEntrySize);
}

namespace {

// The default output must be one a new track can play through: a plug-in device that is gone
// gives way to the song's first one, and without any the audio output takes its place.
void CheckDefaultOutput() {
  NewSongDefaults& d = gNewSongDefaults;
  if (d.trackType != kDeviceKindPlugin) return;
  int32_t count = CountSongPluginDevices();
  for (int32_t n = 0; n < count; ++n)
    if (GetSongPluginDeviceId(n) == d.trackMidiOutput) return;
  if (count > 0) {
    d.trackMidiOutput = GetSongPluginDeviceId(0);
    return;
  }
  d.trackType = kDeviceKindAudio;
  d.trackMidiOutput = 0;
}

}  // namespace

void InitTrackEntry(int32_t size, int32_t /*flag*/, int32_t number) {
  CheckDefaultOutput();
  uint8_t* t = gCurrentTrack;
  std::memset(t, 0, size_t(size));
  TrackEntryView track(t);
  track.SetLength(uint16_t(size));
  WriteU16BE(t + kTrackWord148, 0xFFFF);
  t[kTrackPlayFlags] |= kTrackPlayFlagNew;
  WriteU16BE(t + kTrackCentre72, 8192);
  if (number < 0) number = t == gTrackTemplate ? kNoTrackNumber : GetCurrentTrackIndex();
  track.SetNumber(number < kMaxTrackNumbers ? uint8_t(number) : kNoTrackNumber);
  t[kTrackScrollByte] = 255;
  t[kTrackMidiOutput] = gNewSongDefaults.trackMidiOutput;
  t[kTrackType] = gNewSongDefaults.trackType;
  t[kTrackDeviceChannel1] = gNewSongDefaults.trackByte136;
  t[kTrackDeviceChannel2] = gNewSongDefaults.trackByte137;
  t[kTrackModeFlags] |= gNewSongDefaults.trackModeBits & (kTrackModePref40 | kTrackModePref80);
  t[kTrackSigned106] = 0xFF;
  t[kTrackSigned107] = 0xFF;
  WriteI16BE(t + kTrackLastProgram, -1);
  std::memset(t + kTrackName, ' ', kTrackNameLength);
}

int32_t InitNewTrack(void* arg) {
  int32_t flag = arg ? *static_cast<int32_t*>(arg) : 1;
  InitTrackEntry(kTrackEntrySize, flag, -1);
  if (!gCurrentSong) return 0;
  int8_t recordTrack = int8_t(gCurrentSong[kSongRecordTrack]);
  if (recordTrack >= 0 && gCurrentTrack[kTrackNumber] == uint8_t(recordTrack)) {
    gCurrentSong[kSongArmedCount] = 1;
    gCurrentTrack[kTrackModeFlags] |= kTrackModeArmed;
    if (!IsSongLocked()) ArmNewTrack(false, true);
  }
  return 0;
}

OSErr ResizeCurrentTrackEntry(int32_t newLength) {
  if (!IsRealTrack() || newLength < 0) return paramErr;
  int32_t offset = int32_t(gCurrentTrack - gCurrentSong);
  int32_t oldLength = ReadI16BE(gCurrentTrack + kTrackLength);
  if (oldLength < kTrackEntrySize) oldLength = kTrackEntrySize;
  int32_t size = int32_t(GetCurrentSongSize());
  int32_t tail = size - offset - oldLength;
  if (tail < 0) return paramErr;
  int32_t delta = newLength - oldLength;
  if (delta > 0) {
    if (ResizeCurrentSong(size + delta) != noErr) {
      gIterationAbort = 1;
      return memFullErr;
    }
    uint8_t* entry = gCurrentSong + offset;
    std::memmove(entry + newLength, entry + oldLength, size_t(tail));
    std::memset(entry + oldLength, 0, size_t(delta));
  } else if (delta < 0) {
    uint8_t* entry = gCurrentSong + offset;
    std::memmove(entry + newLength, entry + oldLength, size_t(tail));
    ResizeCurrentSong(size + delta);
  }
  gCurrentTrack = gCurrentSong + offset;
  if (newLength != 0) WriteU16BE(gCurrentTrack + kTrackLength, uint16_t(newLength));
  return noErr;
}

uint8_t SetChildCount(int32_t n) {
  if (n < 0) n = 0;
  if (n > kMaxChildSequences) n = kMaxChildSequences;
  gIterationAbort = 0;
  if (ResizeCurrentTrackEntry(kTrackEntrySize + kChildCellSize * n) != noErr) {
    gIterationAbort = 1;
    return gIterationAbort;
  }
  gCurrentTrack[kTrackChildCount] = uint8_t(n);
  return gIterationAbort;
}

void RemoveCurrentTrack() {
  if (!IsRealTrack() || !HasValidCurrentTrack()) return;
  int32_t index = GetCurrentTrackIndex();
  if (!IsSongLocked()) {
    LowerEditorEntryIndexesAbove(index);
    if (gCurrentSong[kSongMovieTrack] == gCurrentTrack[kTrackNumber] + 1) {
      gCurrentSong[kSongMovieTrack] = 0;
      DisposeTrackMedia();
    }
  }
  WriteU16BE(gCurrentSong + kSongTrackCount, uint16_t(GetSongTrackCount() - 1));
  ResizeCurrentTrackEntry(0);
  UpdateCurrentTrackPtr();
}

int32_t DisposeTrackContents(void*) {
  if (!IsRealTrack()) return 0;
  ForEachChildSequenceAll(DisposeChildSequence, nullptr);
  FreeTrackHandles();
  ResizeCurrentTrackEntry(kTrackEntrySize);
  gCurrentTrack[kTrackChildCount] = 0;
  return 0;
}

void FreeTrackHandles() {
  if (!IsRealTrack()) return;
  Handle events(ReadU32BE(gCurrentTrack + kTrackEventList));
  WriteU32BE(gCurrentTrack + kTrackEventList, 0);
  WriteU32BE(gCurrentTrack + kTrackEventBytes, 0);
  if (events && !IsHandleInUndoRing(events)) DisposeHandle(events);
  DisposeTrackHandleField(kTrackSectionList);
  DisposeTrackHandleField(kTrackExtraBlock);
  DisposeTrackMedia();
  // The insert rack lets go of its plug-ins first (closed at their last use).
  ReleaseRackPlugins(Handle(ReadU32BE(gCurrentTrack + kTrackInsertRack)));
  DisposeTrackHandleField(kTrackRegionList);
  DisposeTrackHandleField(kTrackRegionList2);
  DisposeTrackHandleField(kTrackDrumData);
  if (gCurrentTrack[kTrackFlags] & kTrackFlagSolo) {
    uint8_t solo = uint8_t(gCurrentSong[kSongSoloCount] - 1);
    gCurrentSong[kSongSoloCount] = solo > 128 ? 0 : solo;
  }
}

void ClearTrackHandles(uint8_t* entry) {
  for (int32_t field : kTrackHandleFields) WriteU32BE(entry + field, 0);
  entry[kTrackModeFlags] &= uint8_t(~kTrackModeHandlesBit);
}

void ClearTrackChildren(uint8_t* entry) {
  ClearTrackHandles(entry);
  int32_t cells = (ReadI16BE(entry + kTrackLength) - kTrackEntrySize) / kChildCellSize;
  if (cells > entry[kTrackChildCount]) cells = entry[kTrackChildCount];
  if (cells > 0) std::memset(entry + kTrackChildTable, 0, size_t(kChildCellSize * cells));
}

void SetTrackName(ConstStr255Param name) {
  int32_t length = name ? name[0] : 0;
  if (length > kTrackNameLength) length = kTrackNameLength;
  std::memset(gCurrentTrack + kTrackName, ' ', kTrackNameLength);
  if (length > 0) std::memcpy(gCurrentTrack + kTrackName, name + 1, size_t(length));
}

void SetTrackNameIfAllowed(ConstStr255Param name) {
  if (IsRealTrack()) SetTrackName(name);
}

void UpdateTrackMuteFlag() {
  uint8_t flags = gCurrentTrack[kTrackFlags];
  bool audible = gCurrentSong && gCurrentSong[kSongSoloCount] ? (flags & kTrackFlagSolo)
                                                              : !(flags & kTrackFlagMute);
  if (flags & kTrackFlagSilent) audible = false;
  gCurrentTrack[kTrackFlags] =
      audible ? (flags | kTrackFlagAudible) : (flags & uint8_t(~kTrackFlagAudible));
}
