// The headers of the audio files the program makes and reads: one routine creates the header
// of every new audio file (a recording, a processed copy, audio unpacked from a song) as AIFF
// or CAF by the user's preference, and one reads the header of any audio file, CAF first, then
// AIFF or AIFF-C. The layouts themselves are in aiff_header.h and caf_header.h.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr OSType kAiffFileType = FourCC("AIFF");
constexpr OSType kCafFileType = FourCC("caff");

// Sample-format codes: integer PCM of 8 to 16 bits (and big-endian integer PCM read back),
// 24-bit integer PCM, floating point, little-endian 16-bit integer PCM.
constexpr OSType kFormatNone = FourCC("NONE");
constexpr OSType kFormatInt24 = FourCC("in24");
constexpr OSType kFormatFloat32 = FourCC("fl32");
constexpr OSType kFormatFloat64 = FourCC("fl64");
constexpr OSType kFormatSwapped16 = FourCC("sowt");

// A header the program cannot read or play (not the format, or malformed).
constexpr OSErr kAudioFormatUnsupportedErr = -2114;
// The audio is longer than the file format can describe; nothing is written.
constexpr OSErr kAudioFileTooLargeErr = -1309;

// Bit 7 of gMidiPrefs: new audio files are AIFF, else CAF.
constexpr uint16_t kMidiPrefAiffFiles = 0x0080;

// The sound description a header is read into: a 28-byte big-endian record (flags, format
// code, channels, sample size in bits, rate as unsigned 16.16, then fields the readers leave).
constexpr int32_t kSoundDescFlags = 0;     // u32
constexpr int32_t kSoundDescFormat = 4;    // four-character code
constexpr int32_t kSoundDescChannels = 8;  // i16
constexpr int32_t kSoundDescBits = 10;     // i16
constexpr int32_t kSoundDescRate = 12;     // u32, 16.16
constexpr int32_t kSoundDescSize = 28;

// rate x 65536 truncated; 2^32 or more saturates to 0xFFFFFFFF.
uint32_t RateToFixed(double rate);

// Writes the header of a new audio file at the fork's position as AIFF or CAF by bit 7 of
// gMidiPrefs. byteCount is 0 while the audio's length is not known yet.
OSErr CreateAudioRecordFile(int16_t fork, int16_t channels, int16_t bits, OSType formatCode,
                            uint64_t byteCount, double rate);
// The same for a given file type: 'AIFF' or 'caff'; any other type -4, nothing written.
OSErr WriteAudioFileHeader(int16_t fork, int16_t channels, int16_t bits, OSType formatCode,
                           uint64_t byteCount, double rate, OSType fileType);

// Reads an audio file's header from position 0 of the fork: clears the description's flags,
// tries CAF, else rewinds and reads AIFF or AIFF-C. On success the description's format,
// channels, bits and rate, the frame count, the data offset and the rate are set.
OSErr ReadAudioFileHeader(int16_t fork, uint8_t* description, uint64_t* frameCount,
                          uint32_t* dataOffset, float* rate);
