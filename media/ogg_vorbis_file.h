// Ogg Vorbis files read through the vorbisfile stream reader, with input callbacks of our own
// over the program's forks: the data source handed to the reader is a pointer to the i16
// reference number of an open data fork.
#pragma once

#include <vorbis/vorbisfile.h>

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr OSType kOggVorbisFormat = FourCC("OggV");
constexpr OSErr kNotOggVorbisErr = -208;      // the file is no Ogg Vorbis stream
constexpr OSErr kOggPositionErr = -80;        // the fork's position could not be read

// The stream's description for import and the jukebox.
struct OggStreamInfo {
  OSType compression = 0;   // 'OggV'
  int16_t sampleSize = 0;   // 16
  int16_t channels = 0;     // the low 16 bits of the stream's channel count
  float sampleRate = 0.0f;
};

// The reader's callbacks over a fork, in the library's order (read, seek, close, tell).
extern const ov_callbacks kOggForkCallbacks;

// The direct read: size x count bytes from the fork's position (count when size is 1); the
// items read. A read error, the end of the file included, only shortens the result.
size_t ReadOggFork(void* buffer, size_t size, size_t count, void* source);

// Opens the stream on the fork (no initial bytes). Negative: the file is no Vorbis stream;
// the fork is then left open for the caller.
int OpenOggFile(int16_t* forkSource, OggVorbis_File* stream);
// Ends the stream; the reader's close callback closes the fork and sets its number to 0.
void CloseOggFile(OggVorbis_File* stream);

// Opens the stream on the fork and fills the description, the length (the stream's total
// frames, low 32 bits), the data offset (the fork's position after the stream was opened, where
// the bytes a player streams start) and the rate; then the stream reads through the player's
// buffered read. 0, the negative open result (the stream is then not open), or -80 when the
// fork's position cannot be read (the stream is open: CloseOggFile ends it).
OSErr ReadOggStreamInfo(OggVorbis_File* stream, int16_t* forkSource, OggStreamInfo* format, uint32_t* length,
                        uint32_t* dataOffset, float* rate);

// Seeks the stream to a frame, reading straight from the fork meanwhile; the buffered read is
// put back after. The library's result (0 or negative).
int SeekOggStream(OggVorbis_File* stream, int64_t position);
