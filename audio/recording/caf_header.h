// CAF headers (all fields big-endian). The program writes a 68-byte header: "caff", version
// 1, flags 0; a "desc" chunk of 32 bytes (rate as a double, "lpcm", flags 1 for float samples,
// bytes per packet, 1 frame per packet, channels, bits); a "data" chunk whose size is the audio
// bytes + 4 (-1 while the length is not known) and the edit count 0. The audio starts at 68.
//
// The reader takes the chunks in whatever order they come and checks every size against the
// fork: a negative size (other than data's -1), a chunk reaching past the end of the fork, or a
// description that cannot describe the frames is a malformed header (-2114).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int32_t kCafHeaderLength = 68;

// Writes the header at the fork's position with five writes (8, 12, 32, 12 and 4 bytes);
// returns 0 or the first failing write's result, at which it stops.
OSErr WriteCafHeader(int16_t fork, int16_t channels, int16_t bits, OSType formatCode, uint64_t byteCount,
                     double rate);

// Parses a CAF header from the fork's position into the sound description (format: 'NONE' for
// big-endian integers, 'sowt' for little-endian 16-bit ones, 'fl32'/'fl64' for floats, else the
// format ID), the frame count, the data offset and the rate. With needInfo the scan also looks
// for an "info" chunk. The outputs are set only when it succeeds. 0, a File Manager error met
// before "desc" and "data" were both seen, or -2114.
OSErr ReadCafHeader(int16_t fork, uint8_t* description, uint64_t* frameCount, uint32_t* dataOffset,
                    float* rate, bool needInfo);
