// Decoding a whole Ogg Vorbis file into a 16-bit big-endian AIFF file: how import takes in
// Ogg Vorbis files.
#pragma once

#include "platform/files/file_types.h"

// Decodes the source file into the open destination fork, from its start: the AIFF header
// (16 bits, the stream's rate and channels), the samples, then the header again with the
// final length. -43 for an empty source name, -208 when the source is no Ogg Vorbis stream,
// -50 for a stream broken past what the reader can skip, -206 when a chained stream changes
// its channels or rate, -2019 when the user cancels, or a file error. The source is closed
// whatever happens; the destination is left to the caller.
OSErr DecodeOggToAiff(const FSSpec* source, int16_t destinationFork);

// The import's entry: creates the destination (creator 'V|ov', type 'AIFF'), decodes the
// source into it and closes it. The destination is named by the caller (a unique name in the
// media folder); an existing file is never replaced (its create error is returned) and a
// destination without a name gives -108. On any failure the new file is deleted, so a failed
// conversion leaves nothing behind.
OSErr ConvertOggToAiffFile(const FSSpec* source, const FSSpec* destination);
