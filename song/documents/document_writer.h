// Saving a song document: the header, the document-wide blocks, the song slot table, the
// instrument table, the referenced files and every song, in the order the reader expects.
#pragma once

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

// Writes the open document to the current stream (a FileWriterProc; writerArg unused).
// paramErr (latched as the stream error) when the document cannot be stored: a song outside
// slots 0..15, no song in slot 0, or a song block whose length is damaged or too long.
OSErr WriteSongDocument(void* writerArg);
// Saves the open document as fileSpec (type 'BYSQ' unless given) through WriteNewFile: the old
// file is replaced only when the new one was written completely. On success the document
// takes fileSpec's name and is no longer modified.
OSErr SaveSongDocument(const FSSpec* fileSpec, OSType type);
