#include "media/ogg_stream_decode.h"

#include <cmath>
#include <cstring>

#include "audio/engine/engine_channels.h"
#include "audio/render/block_conversions.h"
#include "audio/streams/stream_converters.h"
#include "audio/streams/stream_media_hooks.h"

OggStreamContext gOggStream;
EngineChannel* gOggChannel = nullptr;

namespace {

constexpr OSType kFloatOutput = FourCC("fl32");
// Gaps reported one after another before the block gives up on the stream.
constexpr int32_t kMaxGapRetries = 64;

// Moves to the other buffer once the current one is used up; the emptied one is left for the
// disk side to refill.
void SwitchBuffers(OggStreamContext* c) {
  c->emptiedIndex = int8_t(c->readIndex);
  c->readIndex ^= 1;
  c->switched = 0;
  c->readPosition = 0;
}

int32_t TakeFromBuffer(OggStreamContext* c, uint8_t* out, int32_t wanted) {
  int32_t left = c->bufferSize - c->readPosition;
  int32_t take = wanted < left ? wanted : left;
  if (take > 0 && c->buffers[c->readIndex]) std::memcpy(out, c->buffers[c->readIndex] + c->readPosition, size_t(take));
  else if (take > 0) std::memset(out, 0, size_t(take));
  c->readPosition += take;
  return take;
}

// Float samples of the reader as 32-bit integers of the host's order, saturated.
void StoreFloatsAsInt32(float** pcm, long frames, int channels, int32_t* out) {
  for (long i = 0; i < frames; ++i)
    for (int ch = 0; ch < channels; ++ch) {
      double v = std::round(double(pcm[ch][i]) * 2147483648.0);
      if (v > 2147483647.0) v = 2147483647.0;
      if (v < -2147483648.0) v = -2147483648.0;
      *out++ = int32_t(v);
    }
}

// One read of the reader into out (at most `bytes`): the bytes decoded, or the reader's result.
long ReadDecoded(OggStreamContext* c, uint8_t* out, int32_t bytes) {
  int bitstream = 0;
  if (c->bytesPerSample != 4) return ov_read(&c->stream, reinterpret_cast<char*>(out), bytes, 0, 2, 1, &bitstream);
  const vorbis_info* info = ov_info(&c->stream, -1);
  int channels = info && info->channels > 0 ? info->channels : 1;
  int frames = bytes / (4 * channels);
  if (frames <= 0) return 0;
  float** pcm = nullptr;
  long got = ov_read_float(&c->stream, &pcm, frames, &bitstream);
  if (got <= 0) return got;
  StoreFloatsAsInt32(pcm, got, channels, reinterpret_cast<int32_t*>(out));
  return got * 4 * channels;
}

}  // namespace

size_t ReadOggBuffered(void* buffer, size_t size, size_t count, void* source) {
  (void)source;
  OggStreamContext* c = &gOggStream;
  if (count == 0 || size == 0) return 0;
  int64_t wanted = int64_t(size * count);
  if (wanted > 0x7FFFFFFF) wanted = 0x7FFFFFFF;
  uint8_t* out = static_cast<uint8_t*>(buffer);
  int32_t bytes = TakeFromBuffer(c, out, int32_t(wanted));
  if (c->readPosition >= c->bufferSize) {
    SwitchBuffers(c);
    if (bytes < wanted && wanted - bytes < c->bufferSize) bytes += TakeFromBuffer(c, out + bytes, int32_t(wanted - bytes));
  }
  int64_t items = size < 2 ? bytes : bytes / int64_t(size);
  if (items > c->remainingItems) {
    items = c->remainingItems > 0 ? c->remainingItems : 0;
    c->switched = 0;
  }
  c->remainingItems -= items;
  return size_t(items);
}

OSErr DecodeOggChunk(OggStreamContext* c, uint8_t* decoded, void* destination, int32_t blockBytes, uint8_t* atEnd) {
  bool resampling = c->ratio != 1.0f;
  uint8_t* out = static_cast<uint8_t*>(resampling ? c->resampleBuffer : destination);
  int32_t wanted = resampling ? c->resampleBytes : blockBytes;
  if (!out || wanted <= 0) return kOggStreamErr;
  if (!c->firstDecodeDone) {
    c->firstDecodeDone = 1;
    c->emptiedIndex = 1;
  } else {
    c->switched = 1;
  }
  int32_t done = 0;
  int32_t gaps = 0;
  while (done < wanted) {
    long got = ReadDecoded(c, out + done, wanted - done);
    if (got < OV_HOLE || (got < 0 && ++gaps > kMaxGapRetries)) return kOggStreamErr;
    if (got < 0) continue;  // a gap in the data: decoding goes on after it
    if (got == 0) {
      std::memset(out + done, 0, size_t(wanted - done));
      if (atEnd) *atEnd = 1;
      break;
    }
    gaps = 0;
    *decoded = 1;
    done += int32_t(got);
  }
  return noErr;
}

void AttachOggChannel(EngineChannel* channel, int64_t streamBytes) {
  OggStreamContext* c = &gOggStream;
  gOggChannel = channel;
  c->buffers[0] = channel->inputBuffers[0];
  c->buffers[1] = channel->inputBuffers[1];
  c->bufferSize = channel->inputBytesPerCall;
  c->readIndex = 0;
  c->readPosition = 0;
  c->emptiedIndex = -1;
  c->switched = 0;
  c->firstDecodeDone = 0;
  c->remainingItems = streamBytes;
  c->ratio = channel->resampleStep;
  c->bytesPerSample = channel->sourceWidth == 32 ? 4 : 2;
  c->resampleBuffer = channel->oggWorkBuffer;
  c->resampleBytes = channel->inputBytesPerCall;
}

int16_t DecodeOggChannel(EngineChannel* channel, int32_t half, void* destination, uint8_t* endFlag) {
  (void)half;
  if (!destination) return kOggStreamErr;
  if (channel != gOggChannel || !gOggStream.streamOpen) {
    if (channel && channel->decodedBlockBytes > 0) std::memset(destination, 0, size_t(channel->decodedBlockBytes));
    return kOggStreamErr;
  }
  uint8_t decoded = 0;
  bool floatOutput = channel->outputFormat == kFloatOutput;
  int32_t block = floatOutput ? channel->decodedBlockBytes / 2 : channel->decodedBlockBytes;
  OSErr err = DecodeOggChunk(&gOggStream, &decoded, destination, block, endFlag);
  if (err) {
    std::memset(destination, 0, size_t(channel->decodedBlockBytes));
    return err;
  }
  if (gOggStream.ratio != 1.0f) return ResampleBlock(channel, gOggStream.resampleBuffer, destination, 0, false);
  if (floatOutput) {
    int32_t channels = channel->channelCount > 1 ? 2 : 1;
    ConvertSwappedToFloat(destination, static_cast<float*>(destination), block / (2 * channels), channels, 16, true);
  }
  return noErr;
}

void InstallOggStreamHooks() { gStreamMediaHooks.decodeOggStream = DecodeOggChannel; }
