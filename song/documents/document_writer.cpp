#include "song/documents/document_writer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/files/file_locations.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/file_access.h"
#include "shell/base/iteration_abort.h"
#include "song/conductor/timebase.h"
#include "song/documents/document_file.h"
#include "song/documents/document_hooks.h"
#include "song/documents/document_sections.h"
#include "song/documents/instrument_table_io.h"
#include "song/documents/media_references.h"
#include "song/documents/new_file_writer.h"
#include "song/model/song_bodies.h"
#include "song/model/song_context.h"
#include "song/model/songs.h"

namespace {

bool IsLive(Handle h) { return h && IsValidHandle(h); }

// The stream carries err from now on (no transfer follows that could clear it).
OSErr FailStream(OSErr err) {
  gStreamError = err;
  return err;
}

bool CanStoreSongTable() {
  if (!IsLive(GetSongHandleAt(0))) return false;
  for (int32_t slot = kMaxDocumentSongs; slot < gSongCount; ++slot)
    if (IsLive(GetSongHandleAt(slot))) return false;
  return true;
}

OSErr WriteHeader(int32_t slots) {
  uint8_t image[kSongFileHeaderSize];
  MakeStoredHeaderImage(image);
  WriteU16BE(image + kFileHeaderSlotCount, uint16_t(slots));
  WriteU16BE(image + kFileHeaderVersion, gSongFileVersion);
  WriteU32BE(image + kFileHeaderResolution, uint32_t(gTicksPerQuarter));
  int32_t current = gCurrentSongIndex >= 0 && gCurrentSongIndex < kMaxDocumentSongs ? gCurrentSongIndex : 0;
  WriteU16BE(image + kFileHeaderCurrentSong, uint16_t(current));
  return WriteBlock(image, kSongFileHeaderSize);
}

OSErr WriteSongSlotTable(int32_t slots) {
  std::vector<uint8_t> table(size_t(slots) * 4, 0);
  for (int32_t slot = 0; slot < std::min(slots, gSongCount); ++slot) {
    Handle song = GetSongHandleAt(slot);
    if (IsLive(song)) WriteU32BE(&table[size_t(slot) * 4], song.id);
  }
  return WriteBlock(table.data(), uint32_t(table.size()));
}

}  // namespace

OSErr WriteSongDocument(void*) {
  if (!CanStoreSongTable()) return FailStream(paramErr);
  int32_t slots = std::max<int32_t>(gSongCount, kDocumentSongSlots);
  WriteHeader(slots);
  if (GetLastFileError() == noErr) WriteDocumentSections();
  if (GetLastFileError() == noErr) WriteSongSlotTable(slots);
  if (GetLastFileError() == noErr) WriteInstrumentTable();
  if (GetLastFileError() == noErr) WriteReferencedFileTable();
  if (GetLastFileError() == noErr) {
    OSErr err = WriteSongDocumentBody();
    gIterationAbort = 0;  // the walks' stop signal is not left behind for later work
    if (err != noErr) return FailStream(err);
  }
  return GetLastFileError();
}

OSErr SaveSongDocument(const FSSpec* fileSpec, OSType type) {
  if (type == 0) type = kSongDocumentType;
  FSSpec target = *fileSpec;
  // The overview caches are written first, so that the document keeps their aliases; a cache
  // that cannot be written only costs computing that overview again.
  SaveOverviewFilesFor(&target, IsSameFSSpec(&target, &gCurrentDocumentSpec));
  OSErr err = WriteNewFile(&target, type, WriteSongDocument, nullptr);
  if (err != noErr) return err;
  gCurrentDocumentSpec = target;
  gSongModified = 0;
  return noErr;
}
