// Reading a whole song document into a staged document: new songs, a new header, instrument
// table and referenced-file table, none of them installed. The open songs are not touched;
// a document that fails to read is thrown away whole.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "song/documents/document_file.h"

struct StagedDocument {
  uint8_t header[kSongFileHeaderSize] = {0};
  uint16_t version = 0;
  int32_t slotCount = 0;
  Handle songTable;        // slotCount big-endian u32 song handles
  Handle instrumentTable;  // 0: the document holds none
  bool bundle = false;
};

// Reads the document from the document input (BeginDocumentInput) into doc. A bundle's media
// section is checked but not unpacked: the stream is left at its start. On failure doc holds
// nothing and the error is returned: eofErr for a document cut short, kDocumentDamagedErr
// for one whose structure lies, kDocumentTooOldErr for a version whose stored form is not read
// (IsReadableSongFileVersion), memFullErr. Older forms that are read are converted as they
// are read (old_document_forms.h, old_song_forms.h).
OSErr ReadStagedDocument(StagedDocument* doc, bool bundle);
// Frees everything a staged document holds.
void DisposeStagedDocument(StagedDocument* doc);
