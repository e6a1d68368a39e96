// Feeds arbitrary bytes to the Sound Converter as a stream of a compressed or foreign format
// (the first byte picks the format, the next ones the WAVE block's length): every fill must
// write no more than it was asked for and answer within the buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/quicktime/sound_converter.h"

namespace {

struct Feed {
  const uint8_t* data;
  size_t size;
  size_t at;
  ExtendedSoundComponentData offer;
};

bool Supply(SoundComponentData** out, void* refCon) {
  auto* f = static_cast<Feed*>(refCon);
  size_t n = f->size - f->at < 997 ? f->size - f->at : 997;
  f->offer.desc.flags = kExtendedSoundData;
  f->offer.desc.buffer = const_cast<uint8_t*>(f->data + f->at);
  f->offer.bufferSize = int32_t(n);
  f->offer.bufferFlags = n < 997 ? kExtendedSoundBufferEndOfStream : 0;
  f->at += n;
  *out = &f->offer.desc;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const OSType formats[] = {FourCC("flac"), FourCC(".mp3"), FourCC("ima4"), FourCC("ulaw"), FourCC("sowt"),
                            FourCC("aac "), FourCC("in24"), FourCC("fl32")};
  SoundComponentData in{}, out{};
  in.format = formats[data[0] % 8];
  in.numChannels = int16_t(1 + (data[0] >> 3 & 1));
  in.sampleSize = 16;
  in.sampleRate = 44100u << 16;
  out = in;
  out.format = FourCC("NONE");
  out.numChannels = 2;
  SoundConverter c = nullptr;
  if (SoundConverterOpen(&in, &out, &c) != 0) return 0;
  size_t waveBytes = data[1] % 40;
  if (waveBytes >= 16 && waveBytes + 2 <= size) SoundConverterSetInfo(c, kSoundConverterInfoWave, data + 2, uint32_t(waveBytes));
  if (SoundConverterBeginConversion(c) == 0) {
    Feed feed{data, size, 2, {}};
    std::vector<uint8_t> block(4096 + 16, 0x5A);
    for (int i = 0; i < 64; ++i) {
      uint32_t bytes = 0, frames = 0, flags = 0;
      SoundConverterFillBuffer(c, Supply, &feed, block.data(), 4096, &bytes, &frames, &flags);
      if (bytes > 4096 || block[4096] != 0x5A) std::abort();
      if (flags && feed.at >= size) break;
    }
  }
  SoundConverterClose(c);
  return 0;
}
