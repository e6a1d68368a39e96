#include "song/model/song_copies.h"

#include <cstring>
#include <vector>

#include "platform/memory/memory.h"
#include "shell/base/app_strings.h"
#include "shell/base/error_report.h"
#include "shell/base/undo_palette.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/child_sequences.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/utility_iteration.h"
#include "song/model/utility_track_access.h"
#include "song/undo/undo_copies.h"

namespace {

constexpr int32_t kSongNameBytes = 32;
constexpr int32_t kSongNameMax = 31;
constexpr int32_t kListFields[4] = {kSongConductorMap, kSongMarkerList, kSongWindowTable,
                                    kSongExtraBlock};

// Popping puts back the current entry of the song that was current; when that is the
// destination of a copy, its entry is the source's.
void PopKeepingCopiedEntry(SongCopyContext* context) {
  PopSongContext();
  if (!context->failure && gCurrentSongHandle == context->destination)
    WriteU16BE(gCurrentSong + kSongCurrentEntry,
               ReadU16BE(HandleData(context->source) + kSongCurrentEntry));
}

int32_t EmptyLinkTrack(void*) {
  if (!HasValidCurrentTrack()) return 0;
  gCurrentTrack[kTrackModeFlags] &= uint8_t(~kTrackModeTwinSections);
  ClearTrackRecordHandles(gCurrentTrack);
  return 0;
}

int32_t ClearTrackOfCopy(void*) {
  if (HasValidCurrentTrack()) ClearTrackRecordHandles(gCurrentTrack);
  return 0;
}

uint16_t CurrentEntryOf(Handle song) { return ReadU16BE(HandleData(song) + kSongCurrentEntry); }

void SetCurrentEntryOf(Handle song, uint16_t entry) {
  WriteU16BE(HandleData(song) + kSongCurrentEntry, entry);
}

// Copies every track of the source song into the entry with the same index of the
// destination (a block copy of the source). Both songs keep their current entry.
void CopyAllTracks(SongCopyContext* context) {
  uint16_t sourceEntry = CurrentEntryOf(context->source);
  uint16_t destEntry = CurrentEntryOf(context->destination);
  SelectSong(context->source);
  int32_t count = GetSongTrackCount();
  for (int32_t i = 0; i < count && !context->failure; ++i) {
    SelectSong(context->source);
    SetCurrentTrackIndex(i);
    if (!HasValidCurrentTrack()) break;
    context->trackIndex = i;
    CopyTrackWithHandles(context);
  }
  SetCurrentEntryOf(context->source, sourceEntry);
  SetCurrentEntryOf(context->destination, destEntry);
  SelectSong(context->destination);
}

}  // namespace

OSErr NewChildSongBlock(bool link) {
  AssignUniqueSongId();
  return AddChildSequence(link, kChildSongBlockSize);
}

void ReportChildSongError() { ReportAppErrorText(kChildSongErrorText); }

void PrefixSongCopyName() {
  if (!gCurrentSong) return;
  Str255 prefix;
  std::memcpy(prefix, GetAppString(kSongCopyPrefixText), sizeof(Str255));
  int32_t p = prefix[0] > kSongNameMax ? kSongNameMax : prefix[0];
  uint8_t* name = gCurrentSong + kSongName;
  int32_t old = name[0] > kSongNameMax ? kSongNameMax : name[0];
  int32_t kept = old + p > kSongNameMax ? kSongNameMax - p : old;
  std::memmove(name + 1 + p, name + 1, size_t(kept));
  std::memcpy(name + 1, prefix + 1, size_t(p));
  name[0] = uint8_t(p + kept);
}

void CopySongBlock(SongCopyContext* context) {
  if (context->failure || !context->source || !context->destination) return;
  if (PushSongContext() != noErr) {
    context->failure = 1;
    return;
  }
  SelectSong(context->source);
  Size size = SongRecordsEnd();
  SelectSong(context->destination);
  uint8_t keptName[kSongNameBytes];
  if (gCurrentSong) std::memcpy(keptName, gCurrentSong + kSongName, kSongNameBytes);
  if (!gCurrentSong || ResizeCurrentSong(size) != noErr) {
    context->failure = context->reported = 1;
  } else {
    std::memcpy(gCurrentSong, HandleData(context->source), size_t(size));
    if (!context->takeName) {
      if (keptName[0] > kSongNameMax) keptName[0] = kSongNameMax;
      std::memcpy(gCurrentSong + kSongName, keptName, kSongNameBytes);
    }
  }
  PopKeepingCopiedEntry(context);
}

void CopySongWithContents(SongCopyContext* context) {
  if (context->failure) return;
  if (PushSongContext() != noErr) {
    context->failure = 1;
    return;
  }
  SelectSong(context->destination);
  uint32_t kept[4] = {0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) kept[i] = ReadU32BE(gCurrentSong + kListFields[i]);
  uint32_t keptLength = ReadU32BE(gCurrentSong + kSongConductorLength);
  context->takeName = 1;
  CopySongBlock(context);
  SelectSong(context->destination);
  for (int i = 0; i < 4; ++i) WriteU32BE(gCurrentSong + kListFields[i], kept[i]);
  WriteU32BE(gCurrentSong + kSongConductorLength, keptLength);
  if (!context->failure) {
    ForEachTrack(ClearTrackOfCopy, nullptr);
    gCurrentSong[kSongFlags] &= uint8_t(~kSongFlagLinked);
    CopyAllTracks(context);
    if (!context->failure) CopySongListsInto(context, context->source, context->destination);
  }
  PopKeepingCopiedEntry(context);
}

void ClearLinkShellLists() {
  if (!gCurrentSong) return;
  for (int32_t field : kListFields) WriteU32BE(gCurrentSong + field, 0);
  WriteU32BE(gCurrentSong + kSongConductorLength, 0);
}

int32_t AttachSongAsChild(bool copy, int32_t slot, int32_t cell) {
  if (PushSongContext() != noErr) return kContextStackFull;
  GetChildSequence(cell);
  if (!GetChosenChildCell()) {
    PopSongContext();
    return paramErr;
  }
  OSErr err = NewChildSongBlock(!copy);
  if (err != noErr) {
    PopSongContext();
    return err;
  }
  uint16_t newId = gSongIdCounter;  // nested copies move the counter on
  SongCopyContext context;
  context.destination = gCurrentSongHandle;
  SelectSongIndex(slot);
  UpdateCurrentTrackPtr();
  if (!gCurrentSong || GetChildCount() != 0) {
    if (gCurrentSong) ReportChildSongError();
    PopSongContext();
    return 1;
  }
  context.source = gCurrentSongHandle;
  uint16_t id = 0;
  if (copy) {
    id = newId;
    CopySongWithContents(&context);
    SelectSong(context.destination);
    ForEachTrackSetRackShared(0);
    PrefixSongCopyName();
  } else {
    id = ReadU16BE(gCurrentSong + kSongId);
    uint16_t rgb[3];
    GetPaletteColor(slot + 1, rgb);
    CopySongBlock(&context);
    SelectSong(context.destination);
    if (!context.failure) {
      gCurrentSong[kSongFlags] |= kSongFlagLinked;
      ForEachTrack(EmptyLinkTrack, nullptr);
      ClearLinkShellLists();
      for (int i = 0; i < 3; ++i) WriteU16BE(gCurrentSong + kSongColour + 2 * i, rgb[i]);
    }
  }
  if (gCurrentSong) WriteU16BE(gCurrentSong + kSongId, id);
  PopSongContext();
  return context.failure;
}

int32_t CopyChildSequenceInto(void* arg) {
  auto* context = static_cast<SongCopyContext*>(arg);
  gIterationAbort = 0;
  if (context->failure) return 0;
  bool link = IsSongLink();
  Handle child = gCurrentSongHandle;
  int32_t n = gCurrentChildIndex;
  if (PushSongContext() != noErr) {
    context->failure = 1;
    return 0;
  }
  SelectSong(context->destination);
  GetChildSequence(n);
  if (!GetChosenChildCell() || NewChildSongBlock(link) != noErr) {
    context->failure = context->reported = 1;
    PopSongContext();
    return 0;
  }
  SongCopyContext copy;
  copy.source = child;
  copy.destination = gCurrentSongHandle;
  if (link) {
    CopySongBlock(&copy);
    SelectSong(copy.destination);
    if (!copy.failure) {
      ForEachTrack(ClearTrackOfCopy, nullptr);
      ClearLinkShellLists();
    }
  } else {
    CopySongWithContents(&copy);
  }
  if (copy.failure) {
    context->failure = 1;
    context->reported |= copy.reported;
  }
  PopSongContext();
  gIterationAbort = 0;
  return 0;
}
