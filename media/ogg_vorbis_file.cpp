#include "media/ogg_vorbis_file.h"

#include <cstdio>

#include "media/ogg_stream_decode.h"
#include "platform/files/forks.h"

namespace {

// The fork's positioning modes by the reader's whence (from the start, from the current
// position, from the end). The offset applies from the current position as well.
constexpr UInt16 kWhenceModes[3] = {fsFromStart, fsFromMark, fsFromLEOF};

int SeekOggFork(void* source, ogg_int64_t offset, int whence) {
  if (!source || whence < 0 || whence > 2) return -1;
  int16_t fork = *static_cast<int16_t*>(source);
  return FSSetForkPosition(fork, kWhenceModes[whence], offset) == noErr ? 0 : -1;
}

int CloseOggFork(void* source) {
  if (!source) return -1;
  int16_t* fork = static_cast<int16_t*>(source);
  if (*fork == 0 || FSCloseFork(*fork) != noErr) return -1;
  *fork = 0;
  return 0;
}

long TellOggFork(void* source) {
  if (!source) return -1;
  SInt64 position = 0;
  if (FSGetForkPosition(*static_cast<int16_t*>(source), &position) != noErr) return -1;
  return long(position);
}

}  // namespace

size_t ReadOggFork(void* buffer, size_t size, size_t count, void* source) {
  if (size == 0 || !source) return 0;
  ByteCount actual = 0;
  FSReadFork(*static_cast<int16_t*>(source), fsAtMark, 0, ByteCount(size * count), buffer, &actual);
  return size > 1 ? size_t(actual) / size : size_t(actual);
}

const ov_callbacks kOggForkCallbacks = {ReadOggFork, SeekOggFork, CloseOggFork, TellOggFork};

int OpenOggFile(int16_t* forkSource, OggVorbis_File* stream) {
  return ov_open_callbacks(forkSource, stream, nullptr, 0, kOggForkCallbacks);
}

void CloseOggFile(OggVorbis_File* stream) { ov_clear(stream); }

OSErr ReadOggStreamInfo(OggVorbis_File* stream, int16_t* forkSource, OggStreamInfo* format, uint32_t* length,
                        uint32_t* dataOffset, float* rate) {
  if (int opened = OpenOggFile(forkSource, stream); opened < 0) return OSErr(opened);
  vorbis_info* info = ov_info(stream, -1);
  ogg_int64_t frames = ov_pcm_total(stream, -1);
  SInt64 position = 0;
  if (FSGetForkPosition(*forkSource, &position) != noErr) return kOggPositionErr;
  format->compression = kOggVorbisFormat;
  format->sampleSize = 16;
  format->channels = info ? int16_t(info->channels & 0xFFFF) : 0;
  format->sampleRate = info ? float(info->rate) : 0.0f;
  *rate = format->sampleRate;
  *length = frames > 0 ? uint32_t(uint64_t(frames) & 0xFFFFFFFFu) : 0;
  *dataOffset = uint32_t(position);
  stream->callbacks.read_func = ReadOggBuffered;
  return noErr;
}

int SeekOggStream(OggVorbis_File* stream, int64_t position) {
  stream->callbacks.read_func = ReadOggFork;
  int result = ov_pcm_seek(stream, position);
  stream->callbacks.read_func = ReadOggBuffered;
  return result;
}
