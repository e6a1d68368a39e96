// Feeds arbitrary bytes to the Ogg Vorbis readers as a file: the conversion into an AIFF file
// that import uses, and the comment reader of the jukebox. Whatever the bytes, each returns;
// a conversion either succeeds with an AIFF file whose header our reader takes and whose sound
// data fills the file, or fails with an error and leaves no file; no fork is left open.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "audio/recording/aiff_header.h"
#include "audio/recording/audio_file_header.h"
#include "media/ogg_comments.h"
#include "media/ogg_to_aiff.h"
#include "platform/files/catalog.h"
#include "platform/files/file_locations.h"
#include "platform/files/forks.h"
#include "platform/memory/byte_order.h"
#include "tests/fuzz/fuzz_input_file.h"

namespace {

// The converted file: a header our reader takes, 16-bit frames that fill the data to the end.
void CheckConverted(const FSSpec* spec) {
  int16_t fork = 0;
  if (FSpOpenDF(spec, fsRdPerm, &fork) != noErr) std::abort();
  uint8_t description[kSoundDescSize] = {};
  uint64_t frames = 0;
  uint32_t offset = 0;
  float rate = 0;
  SInt64 size = 0;
  FSGetForkSize(fork, &size);
  if (ReadAiffHeader(fork, description, &frames, &offset, &rate) != noErr) std::abort();
  FSClose(fork);
  int16_t channels = ReadI16BE(description + kSoundDescChannels);
  if (ReadI16BE(description + kSoundDescBits) != 16 || channels < 1) std::abort();
  if (uint64_t(offset) + frames * 2u * uint64_t(channels) != uint64_t(size)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FSSpec source = WriteFuzzFile("input.ogg", data, size);
  FSSpec destination = WriteFuzzFile("output.AIF", nullptr, 0);
  FSpDelete(&destination);
  int forks = CountOpenForks();
  OSErr err = ConvertOggToAiffFile(&source, &destination);
  FSSpec probe;
  bool exists = PathToSpec(SpecToPath(&destination), &probe) == noErr;
  if (err == noErr) {
    if (!exists) std::abort();
    CheckConverted(&destination);
    FSpDelete(&destination);
  } else if (exists) {
    std::abort();
  }
  OggEntryTags tags;
  float seconds = ReadOggComments(&source, &tags);
  if (!(seconds >= 0.0f) || tags.title[0] > 63 || tags.artist[0] > 63 || tags.album[0] > 63) std::abort();
  if (CountOpenForks() != forks) std::abort();
  return 0;
}
