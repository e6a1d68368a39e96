// AIFF and AIFF-C headers as the program writes them: "FORM" with the form type, ("FVER" in
// AIFF-C,) "COMM" (channels, frames, sample size, rate as an 80-bit extended number, in AIFF-C
// the compression type and name), then "SSND" (offset 0, block size 0), after which the sound
// data starts. The header's length depends on the format code only, never on the byte count,
// so a header rewritten over a finished recording keeps the data where it was.
//
// The rate goes through unsigned 16.16 fixed point as the classic header routine takes it;
// rates of 65536 Hz or more do not fit there and are written over with their exact value.
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
