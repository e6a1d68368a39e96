// AIFF and AIFF-C headers as the program writes them: "FORM" with the form type, ("FVER" in
// AIFF-C,) "COMM" (channels, frames, sample size, rate as an 80-bit extended number, in AIFF-C
// the compression type and name), then "SSND" (offset 0, block size 0), after which the sound
// data starts. The header's length depends on the format code only, never on the byte count,
// so a header rewritten over a finished recording keeps the data where it was.
//
// The rate goes through unsigned 16.16 fixed point as the classic header routine takes it;
// rates of 65536 Hz or more do not fit there and are written over with their exact value.
//
// The reader takes any AIFF or AIFF-C file with its chunks in any order, every chunk checked
// against the file's size, and sample formats the program plays.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Header bytes before the sound data for a format code ('in24' and 'NONE': plain AIFF, 54;
// any other code: AIFF-C).
int32_t AiffHeaderLength(OSType formatCode);
// The most audio bytes an AIFF header of that format code can describe (its sizes are u32).
uint64_t MaxAiffAudioBytes(OSType formatCode);

// Writes the header at the fork's position: 'in24' becomes 'NONE' with 24 bits, 'NONE' gives
// AIFF, any other code AIFF-C with that compression type. A frame count of 0 is derived from
// the byte count. Audio longer than MaxAiffAudioBytes is refused with kAudioFileTooLargeErr
// and nothing is written. Returns 0 or the first error.
OSErr WriteAiffHeader(int16_t fork, int16_t channels, int16_t bits, OSType formatCode, uint64_t byteCount,
                      uint32_t frameCount, double rate);

// Rewrites the rate in the file's "COMM" chunk, walking the chunk headers from offset 0. The
// walk ends without writing at a read error, a chunk that reaches past the end of the fork, or
// a "COMM" chunk too short for its fields.
void PatchAiffSampleRate(int16_t fork, double rate);

// Reads an AIFF or AIFF-C header from the fork's position (the start of the "FORM" chunk) into
// a sound description (format code, channels, bits, rate in 16.16), the frame count, the data
// offset and the rate. The compression types: 'NONE' and 'twos' (big-endian integers of 1 to
// 32 bits), 'in24' (as 'NONE' with 24 bits), 'fl32'/'FL32', 'fl64'/'FL64', 'sowt' (16-bit
// little-endian), and as they are 'in32', 'raw ', 'ulaw', 'alaw' and 'ima4'. The frame count
// of uncompressed or companded samples never reaches past the end of the file. Anything else, a
// chunk that reaches past the end of the file, a "COMM" or "SSND" chunk too short for its
// fields, no channels or no rate, is kAudioFormatUnsupportedErr and leaves the outputs alone; a
// read error is returned as it came.
OSErr ReadAiffHeader(int16_t fork, uint8_t* description, uint64_t* frameCount, uint32_t* dataOffset,
                     float* rate);
