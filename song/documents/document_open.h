// Opening a song document: the whole document is read into new songs first; only when it
// has been read completely do its songs, header, instrument table and referenced files take
// the place of the open document's. A document that cannot be read changes nothing.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

// True once an opened document's instrument table has replaced the program's own (until a new
// workspace takes the program's table back).
extern bool gInstrumentTableFromDocument;

// Opens the document named by fileSpec in place of the open one. isBundle 0 takes it from the
// file's type ('Mbun'). With addToRecent a document that opened goes to the recent documents.
// A failure is reported (ReportError) and returned; the open document stays as it was.
OSErr OpenSongFile(const FSSpec* fileSpec, int16_t isBundle, bool addToRecent);

// Closes the open document: every song and child sequence, the instrument table, the
// header's blocks and the referenced files.
void CloseSongDocument();
// The error a failed open shows, naming the file: damaged and cut-short documents as message
// 15, a version whose stored form is not read with the file's name and version.
int32_t ReportDocumentOpenError(OSErr err, ConstStr255Param fileName);
