#include "song/documents/document_reader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/memory_reserve.h"
#include "shell/base/progress_hooks.h"
#include "song/documents/bundle_media.h"
#include "song/documents/document_input.h"
#include "song/documents/document_sections.h"
#include "song/documents/instrument_table_io.h"
#include "song/documents/media_references.h"
#include "song/documents/old_document_forms.h"
#include "song/documents/old_song_forms.h"
#include "song/model/song_bodies.h"

namespace {


OSErr ReadHeader(StagedDocument* doc) {
  uint8_t* header = doc->header;
  if (ReadDocumentBytes(header, kFileHeaderFirstPiece) != noErr) return GetDocumentInputError();
  doc->version = ReadU16BE(header + kFileHeaderVersion);
  if (doc->version > gSongFileVersion) return FailDocumentInput(kDocumentDamagedErr);
  SetDocumentInputForm(doc->version, ReadU32BE(header + kFileHeaderResolution));
  if (!IsReadableSongFileVersion(doc->version)) return FailDocumentInput(kDocumentTooOldErr);
  int32_t slots = DocumentSlotCountFor(doc->version, ReadU16BE(header + kFileHeaderSlotCount));
  if (slots > kMaxDocumentSlotCount) return FailDocumentInput(kDocumentDamagedErr);
  doc->slotCount = slots;
  WriteU16BE(header + kFileHeaderSlotCount, uint16_t(slots));
  for (int32_t piece = 1; piece < 5; ++piece) {
    if (!IsHeaderPieceStored(piece, doc->version)) continue;
    ReadDocumentBytes(header + kFileHeaderPieces[piece][0], uint32_t(kFileHeaderPieces[piece][1]));
  }
  if (doc->version < kOldestSongFileVersion) MoveOldSlotPresenceWords(header);
  header[kFileHeaderFontName] = std::min(header[kFileHeaderFontName], kMaxFontNameLength);
  header[kFileHeaderPortCount] = 0;
  return GetDocumentInputError();
}

// The song slot table: which slots hold a song record (slot 0 always does). A song beyond
// slot 15 makes the document damaged.
OSErr ReadSongSlotTable(StagedDocument* doc, std::vector<bool>* present) {
  present->assign(size_t(doc->slotCount), false);
  for (int32_t i = 0; i < doc->slotCount; ++i) {
    uint32_t word = 0;
    if (ReadDocumentU32(&word) != noErr) return GetDocumentInputError();
    (*present)[size_t(i)] = i == 0 || word != 0;
    if (word != 0 && i >= kMaxDocumentSongs) return FailDocumentInput(kDocumentDamagedErr);
  }
  doc->songTable = NewHandleClearWithReserve(doc->slotCount * 4);
  if (!doc->songTable) return FailDocumentInput(memFullErr);
  return noErr;
}

OSErr ReadSongs(StagedDocument* doc, const std::vector<bool>& present) {
  BeginProgress(kProgressOpeningSong, int32_t(std::count(present.begin(), present.end(), true)));
  int32_t read = 0;
  for (int32_t i = 0; i < doc->slotCount && GetDocumentInputError() == noErr; ++i) {
    if (!present[size_t(i)]) continue;
    Handle song;
    if (ReadSongRecord(false, &song) != noErr) break;
    WriteU32BE(HandleData(doc->songTable) + 4 * i, song.id);
    if (ProgressAskedToStop(++read)) FailDocumentInput(kProgressCancelledErr);
  }
  EndProgress();
  return GetDocumentInputError();
}

}  // namespace

OSErr ReadStagedDocument(StagedDocument* doc, bool bundle) {
  *doc = StagedDocument();
  doc->bundle = bundle;
  bool present[kDocumentSlotCount] = {};
  std::vector<bool> songs;
  if (ReadHeader(doc) == noErr) {
    TakeDocumentSlotPresence(doc->header, present);
    ReadDocumentSections(doc->header, present);
  }
  if (GetDocumentInputError() == noErr) ReadSongSlotTable(doc, &songs);
  if (GetDocumentInputError() == noErr) ReadStoredInstrumentTable(&doc->instrumentTable);
  if (GetDocumentInputError() == noErr)
    ReadReferencedFileTable(DocumentSlotCell(doc->header, kReferencedFilesSlot), present[kReferencedFilesSlot]);
  if (GetDocumentInputError() == noErr) ReadSongs(doc, songs);
  if (GetDocumentInputError() == noErr && bundle)
    CheckBundleMediaSection(Handle(ReadU32BE(DocumentSlotCell(doc->header, kReferencedFilesSlot))));
  OSErr err = GetDocumentInputError();
  if (err != noErr) DisposeStagedDocument(doc);
  return err;
}

void DisposeStagedDocument(StagedDocument* doc) {
  DisposeDocumentHandles(doc->header);
  if (doc->songTable) {
    for (int32_t i = 0; i < doc->slotCount; ++i) {
      Handle song(ReadU32BE(HandleData(doc->songTable) + 4 * i));
      DisposeStoredSong(song);
    }
    DisposeHandle(doc->songTable);
  }
  DisposeStoredInstrumentTable(doc->instrumentTable);
  *doc = StagedDocument();
}
