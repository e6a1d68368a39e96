// Feeds arbitrary bytes to the audio-file header readers as an audio file: the header reader
// every caller uses (CAF, then the AIFF fall-back), the AIFF reader with the file's tags (texts
// of at most 63 characters), the CAF reader with the info chunk asked for, and the AIFF rate
// patch, which walks the chunks and may write. Whatever the bytes, each
// returns, a header read successfully places the audio inside the file (for AIFF the frames
// it counts as well), and no fork is left open.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "audio/recording/aiff_header.h"
#include "audio/recording/aiff_tags.h"
#include "audio/recording/audio_file_header.h"
#include "audio/recording/caf_header.h"
#include "platform/files/files.h"
#include "platform/memory/byte_order.h"
#include "tests/fuzz/fuzz_input_file.h"

namespace {

// The frames of uncompressed samples the AIFF reader counts lie between the offset and the end.
bool AiffFramesInside(const uint8_t* description, uint64_t frames, uint32_t offset, size_t size) {
  if (offset > size) return false;
  OSType format = ReadU32BE(description + kSoundDescFormat);
  if (format != kFormatNone && format != kFormatFloat32 && format != kFormatFloat64) return true;
  uint64_t frameBytes = uint64_t(ReadI16BE(description + kSoundDescChannels)) *
                        uint64_t((ReadI16BE(description + kSoundDescBits) + 7) / 8);
  return frameBytes > 0 && frames <= (size - offset) / frameBytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FSSpec fileSpec = WriteFuzzFile("audio", data, size);
  int forks = CountOpenForks();
  int16_t fork = 0;
  if (FSpOpenDF(&fileSpec, fsRdWrPerm, &fork) != noErr) std::abort();
  uint8_t description[kSoundDescSize] = {};
  uint64_t frames = 0;
  uint32_t offset = 0;
  float rate = 0;
  if (ReadAudioFileHeader(fork, description, &frames, &offset, &rate) == noErr && offset > size) std::abort();
  FSSetForkPosition(fork, fsFromStart, 0);
  if (ReadAiffHeader(fork, description, &frames, &offset, &rate) == noErr &&
      !AiffFramesInside(description, frames, offset, size))
    std::abort();
  FSSetForkPosition(fork, fsFromStart, 0);
  AudioFileTags tags;
  ReadAiffHeader(fork, description, &frames, &offset, &rate, &tags);
  for (const uint8_t* text : {tags.title, tags.artist, tags.album})
    if (text[0] > 63) std::abort();
  FSSetForkPosition(fork, fsFromStart, 0);
  if (ReadCafHeader(fork, description, &frames, &offset, &rate, true) == noErr && offset > size) std::abort();
  PatchAiffSampleRate(fork, 96000.0);
  FSClose(fork);
  if (CountOpenForks() != forks) std::abort();
  return 0;
}
