#include "media/ogg_to_aiff.h"

#include <cstdlib>
#include <limits>

#include "audio/recording/aiff_header.h"
#include "audio/recording/audio_file_header.h"
#include "media/ogg_vorbis_file.h"
#include "platform/files/catalog.h"
#include "platform/files/forks.h"
#include "shell/base/progress_hooks.h"
#include "shell/base/resource_files.h"

namespace {

constexpr int32_t kDecodeBufferBytes = 4096;
constexpr OSErr kStreamBrokenErr = -50;
constexpr OSErr kStreamFormatChangedErr = -206;

// The decode's progress over a byte total that may pass the dialog's 32-bit range.
struct DecodeProgress {
  int shift = 0;
  uint64_t done = 0;
  void Begin(uint64_t total) {
    while ((total >> shift) > uint64_t(std::numeric_limits<int32_t>::max())) ++shift;
    BeginProgress(kProgressConvertingFile, int32_t(total >> shift));
  }
  bool Advance(uint64_t bytes) {
    done += bytes;
    return ProgressAskedToStop(int32_t(done >> shift));
  }
};

OSErr WriteAllAt(int16_t fork, const char* bytes, long count) {
  ByteCount actual = 0;
  OSErr err = FSWriteFork(fork, fsAtMark, 0, ByteCount(count), bytes, &actual);
  return err == noErr && actual != ByteCount(count) ? OSErr(ioErr) : err;
}

// The samples of the stream into the fork; the bytes written in *written.
OSErr DecodeSamples(OggVorbis_File* stream, const vorbis_info* first, int16_t fork, char* buffer,
                    DecodeProgress* progress, uint64_t* written) {
  for (;;) {
    int bitstream = 0;
    long got = ov_read(stream, buffer, kDecodeBufferBytes, 1, 2, 1, &bitstream);
    if (got == 0) return noErr;
    if (got == OV_HOLE) continue;  // a gap in the data: decoding goes on after it
    if (got < 0) return kStreamBrokenErr;
    const vorbis_info* now = ov_info(stream, bitstream);
    if (!now || now->channels != first->channels || now->rate != first->rate) return kStreamFormatChangedErr;
    if (OSErr err = WriteAllAt(fork, buffer, got)) return err;
    *written += uint64_t(got);
    if (progress->Advance(uint64_t(got))) return kProgressCancelledErr;
  }
}

OSErr WriteHeaderAtStart(int16_t fork, const vorbis_info* info, uint64_t bytes) {
  if (OSErr err = FSSetForkPosition(fork, fsFromStart, 0)) return err;
  uint32_t frames = uint32_t(bytes / (2u * uint32_t(info->channels)));
  return WriteAiffHeader(fork, int16_t(info->channels), 16, kFormatNone, bytes, frames, double(info->rate));
}

OSErr DecodeOpenStream(OggVorbis_File* stream, int16_t fork, char* buffer) {
  const vorbis_info* info = ov_info(stream, -1);
  if (!info || info->channels <= 0 || info->channels > 0x7FFF || info->rate <= 0) return kNotOggVorbisErr;
  ogg_int64_t frames = ov_pcm_total(stream, -1);
  uint64_t total = frames > 0 ? uint64_t(frames) * 2u * uint64_t(info->channels) : 0;
  DecodeProgress progress;
  progress.Begin(total);
  uint64_t written = 0;
  OSErr err = WriteHeaderAtStart(fork, info, total);
  if (!err) err = DecodeSamples(stream, info, fork, buffer, &progress, &written);
  if (!err) err = WriteHeaderAtStart(fork, info, written);
  EndProgress();
  return err;
}

}  // namespace

OSErr DecodeOggToAiff(const FSSpec* source, int16_t destinationFork) {
  if (!source || source->name[0] == 0) return fnfErr;
  char* buffer = static_cast<char*>(std::malloc(kDecodeBufferBytes));
  if (!buffer) return memFullErr;
  int16_t fork = 0;
  OSErr err = FSpOpenDF(source, fsRdPerm, &fork);
  if (!err) {
    OggVorbis_File stream;
    if (OpenOggFile(&fork, &stream) < 0) {
      err = kNotOggVorbisErr;
    } else {
      err = DecodeOpenStream(&stream, destinationFork, buffer);
      CloseOggFile(&stream);  // closes the source's fork as well
    }
    if (fork) FSClose(fork);
  }
  std::free(buffer);
  return err;
}

OSErr ConvertOggToAiffFile(const FSSpec* source, const FSSpec* destination) {
  if (!destination || destination->name[0] == 0) return memFullErr;
  if (OSErr err = FSpCreate(destination, kAppCreator, kAiffFileType, -1)) return err;
  int16_t fork = 0;
  OSErr err = FSpOpenDF(destination, fsRdWrPerm, &fork);
  if (!err) {
    err = DecodeOggToAiff(source, fork);
    OSErr closeErr = FSClose(fork);
    if (!err) err = closeErr;
  }
  if (err) FSpDelete(destination);
  return err;
}
