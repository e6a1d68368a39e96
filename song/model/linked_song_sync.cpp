#include "song/model/linked_song_sync.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/model/song_context.h"
#include "song/model/song_copies.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/track_length.h"
#include "song/model/utility_track_access.h"
#include "song/undo/undo_copies.h"
#include "song/undo/undo_ring.h"

namespace {

struct HeaderField {
  int32_t offset, size;
};
// What the twin takes from the edited header.
constexpr HeaderField kCarriedFields[] = {
    {kSongCurrentEntry, 2}, {kSongStoredTrack, 1}, {kSongTrackSelection, kTrackSelectionSize},
    {kSongOptions, 1},      {kSongSelectionSampleStart, 4}, {kSongSelectionSampleEnd, 4},
    {kSongRate, 4},         {kSongTempo, 2},        {kSongTicksPerBeat, 2}, {kSongBeatsPerBar, 1}};

uint8_t* Bytes(Handle h) { return reinterpret_cast<uint8_t*>(HandleData(h)); }

// The other song of the list with the id.
Handle FindTwin(Handle edited, uint16_t id) {
  for (int32_t slot = 0; slot < gSongCount; ++slot) {
    Handle h = GetSongHandleAt(slot);
    if (h && h != edited && ReadU16BE(Bytes(h) + kSongId) == id) return h;
  }
  return Handle();
}

// Track i of the twin becomes a copy of track i of the edited song.
void CopyTrackToTwin(SongCopyContext* context, int32_t i) {
  SelectSong(context->destination);
  SetCurrentTrackIndex(i);
  Handle ownSections = TrackEntryView(gCurrentTrack).SectionList();
  TrackEntryView(gCurrentTrack).SetSectionList(Handle());  // kept out of the replacement
  SelectSong(context->source);
  SetCurrentTrackIndex(i);
  bool takeEdited = gCurrentTrack[kTrackModeFlags] & kTrackModeTwinSections;
  gCurrentTrack[kTrackModeFlags] &= uint8_t(~kTrackModeTwinSections);
  context->trackIndex = i;
  CopyTrackWithHandles(context);
  SelectSong(context->destination);
  SetCurrentTrackIndex(i);
  TrackEntryView twin(gCurrentTrack);
  if (takeEdited) {
    if (ownSections && !IsHandleInUndoRing(ownSections)) DisposeHandle(ownSections);
  } else {
    if (Handle copied = twin.SectionList(); copied && copied != ownSections) DisposeHandle(copied);
    twin.SetSectionList(ownSections);
  }
  ClearTrackLengthFlag();
  ComputeTrackEnd();
}

void CopyTracksToTwin(Handle edited, Handle twin) {
  int32_t count = ReadU16BE(Bytes(edited) + kSongTrackCount);
  SelectSong(twin);
  while (GetSongTrackCount() < count && AddTrackEntry(kTrackEntrySize) == noErr) {
  }
  SongCopyContext context;
  context.source = edited;
  context.destination = twin;
  for (int32_t i = 0; i < count && i < GetSongTrackCount() && !context.failure; ++i) CopyTrackToTwin(&context, i);
}

}  // namespace

void SyncSongEditedDuringPlayback() {
  if (!gCurrentSong) return;
  uint8_t flags = gCurrentSong[kSongFlags];
  if (!(flags & kSongFlagLinked) || !(flags & kSongFlagEditedWhilePlaying)) return;
  gCurrentSong[kSongFlags] = uint8_t(flags & ~kSongFlagEditedWhilePlaying);
  Handle edited = gCurrentSongHandle;
  Handle twin = FindTwin(edited, ReadU16BE(gCurrentSong + kSongId));
  if (!twin) return;
  ReplaceUndoSongHandle(edited, twin);
  for (const HeaderField& f : kCarriedFields) std::memcpy(Bytes(twin) + f.offset, Bytes(edited) + f.offset, size_t(f.size));
  if (PushSongContext() != noErr) return;
  uint16_t entry = ReadU16BE(Bytes(edited) + kSongCurrentEntry);
  CopyTracksToTwin(edited, twin);
  WriteU16BE(Bytes(twin) + kSongCurrentEntry, entry);
  WriteU16BE(Bytes(edited) + kSongCurrentEntry, entry);
  PopSongContext();
}
