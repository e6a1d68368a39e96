// Reading and writing the samples of a track's audio: the classes of the sample encodings,
// frames read from the audio regions into a buffer, single samples of the formats the program
// handles, the zero crossing near a position and the time selection as sample positions.
//
// Frames are interleaved; only mono and stereo are addressed sample by sample: the sample of
// channel c in frame f is sample (f x channels + c) of the buffer.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Classes of ClassifySampleEncoding.
constexpr int16_t kSampleClassUnreadable = 0;
constexpr int16_t kSampleClassUnsigned = 1;     // offset binary: 'raw ' and code 0
constexpr int16_t kSampleClassSignedBig = 2;    // 'NONE', 'twos', 'in24', any 8-bit code but 'lpcm'
constexpr int16_t kSampleClassFloatBig = 3;     // 'fl32'
constexpr int16_t kSampleClassSignedLittle = 4; // 'sowt', '23ni'

// A region without a frame size.
constexpr OSErr kNoFrameSizeErr = -909;
// No zero crossing near the position.
constexpr OSErr kNoZeroCrossingErr = -43;

int16_t ClassifySampleEncoding(OSType code, int16_t bits);
// 0 when a decoder record is given and its decoder-active word is set; else the class of the
// code, for 16 bits when a record is given (the converter delivers 16-bit samples).
int16_t ClassifyDecodedEncoding(OSType code, int16_t bits, const uint32_t* decoderActive);
// False for the little-endian codes; else true exactly when the class is not 0.
bool IsBigEndianReadable(OSType code, int16_t bits);
// 2^n as a float (the full scale of an n-bit sample).
float PowerOfTwo(int16_t n);

// Reads `count` frames of a region from `firstFrame` on into buffer + byteOffset (limited to
// the frames left in the region). A region of audio in a file reads from its file's fork (the
// song's referenced-file table); a silent region or one without data gives zeros and sets
// *silent. -909 for a region without a frame size; a file error otherwise, with the frames
// read so far.
OSErr ReadRegionFrames(uint8_t* buffer, int32_t byteOffset, const uint8_t* region, int64_t firstFrame, int64_t count,
                       int64_t* framesRead, bool* silent);
// Frames from the sample position on, region after region, into a buffer of bufferBytes; the
// rest of the buffer is zeroed so that a caller never sees stale data. The first error.
OSErr ReadRegionListFrames(uint8_t* buffer, int64_t position, Handle regions, int64_t count, int32_t bufferBytes);

// Single samples. Unsigned: the byte (8 bits or fewer) or the big-endian word.
uint16_t ReadUnsignedSample(const uint8_t* buffer, int16_t bits, int16_t channels, int16_t channel, int64_t frame);
// Little-endian signed samples of 1 to 4 bytes.
int32_t ReadLittleEndianSample(const uint8_t* buffer, int16_t bytesPerSample, int16_t channels, int16_t channel,
                               int64_t frame);
// Big-endian signed samples of 1 to 4 bytes.
int32_t ReadBigEndianSample(const uint8_t* buffer, int16_t bytesPerSample, int16_t channels, int16_t channel,
                            int64_t frame);
// Stores a value: 8 bits or fewer one byte, 16 bits or fewer a big-endian word, float files a
// big-endian float of the value, 24 bits or fewer three bytes, else a 32-bit word. Integer
// values are truncated toward zero and held to the width's range (never wrapped).
void WriteSampleValue(double value, bool floatFile, uint8_t* buffer, int16_t bits, int16_t channels, int16_t channel,
                      int64_t frame);

// Walks the first channel from `frame` by step (+1 or -1) within 0..frameCount - 1: the first
// frame whose sample is exactly zero (128 for unsigned 8-bit), or where the sign changes
// between neighbours and one of the two lies within the tolerance of zero, the frame reached
// (for 16-bit and float samples the one before it when only that one lies within). -1 when
// none.
int64_t FindZeroCrossing(const uint8_t* buffer, int64_t frame, int32_t step, int64_t frameCount, int16_t bits,
                         int16_t channels, int32_t tolerance, int16_t sampleClass);
// Direction bits of SnapToZeroCrossing.
constexpr uint16_t kSnapBackward = 0x1;
constexpr uint16_t kSnapForward = 0x2;
// The nearest zero crossing of the record's audio around the position (the forward one on a
// tie); -50 for no record or no direction, -43 (and the position unchanged) when none.
OSErr SnapToZeroCrossing(Handle record, int64_t position, uint16_t direction, int64_t* out, int16_t toleranceIndex);

// The song's time selection as sample positions at `rate` (at or below 0: the current track's
// record's rate); a selection without a rate is computed from its ticks first.
void GetTimeSelectionSamples(int64_t* start, int64_t* end, float rate);
