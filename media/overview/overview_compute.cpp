#include "media/overview/overview_compute.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

#include "audio/engine/region_lookup.h"
#include "audio/streams/stream_media_hooks.h"
#include "audio/streams/stream_reads.h"
#include "media/overview/overview_blocks.h"
#include "media/overview/region_frame_reads.h"
#include "media/overview/sample_decoding.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/system/host_time.h"
#include "shell/base/file_access.h"
#include "song/conductor/sample_position.h"
#include "song/documents/media_references.h"

namespace {

constexpr int32_t kReadBufferBytes = 65536;
constexpr UInt32 kYieldIntervalTicks = 6;
constexpr int32_t kTickBatch = 4096;  // tick positions looked up at a time

// One channel's tick in the making and its block.
struct ChannelScan {
  OverviewAppendState out;
  int32_t lo = 0, hi = 0;
  float flo = 0, fhi = 0;
  std::vector<int32_t> ints;  // the samples of the current read
  std::vector<float> floats;
};

struct Scan {
  OverviewSource* source;
  int16_t cls = 0;
  int32_t bytes = 2;     // bytes per sample
  int32_t shift = 16;    // the sample's width in bits
  int32_t frameBytes = 0;
  std::vector<ChannelScan> channels;
  int32_t tick = 1;          // the tick being filled
  int64_t tickEnd = 0;       // the position where it ends
  int64_t samplesInTick = 0;
  uint8_t* buffer = nullptr;
  UInt32 lastYield = 0;
  bool inPlace16 = false;  // 16-bit signed mono or stereo frames, scanned without decoding
  // The positions of the ticks from batchFirst on (batchCount of them; none after a yield,
  // which may have changed the song).
  std::vector<int64_t> batch = std::vector<int64_t>(kTickBatch);
  int32_t batchFirst = 0, batchCount = 0;
};

int64_t TickPosition(const Scan& s, int32_t tick) {
  return TickToSamplePositionInSong(tick, s.source->rate, reinterpret_cast<uint8_t*>(*s.source->song));
}

// The position of a tick the scan reaches in order, looked up a batch at a time.
int64_t NextTickPosition(Scan* s, int32_t tick) {
  if (tick < s->batchFirst || tick - s->batchFirst >= s->batchCount) {
    int32_t count = int32_t(std::min<int64_t>(kTickBatch, int64_t(INT32_MAX) - tick + 1));
    TickRangeToSamplePositionsInSong(tick, count, s->source->rate, reinterpret_cast<uint8_t*>(*s->source->song),
                                     s->batch.data());
    s->batchFirst = tick;
    s->batchCount = count;
  }
  return s->batch[size_t(tick - s->batchFirst)];
}

void ResetPending(Scan* s) {
  for (ChannelScan& c : s->channels) {
    c.lo = INT32_MAX, c.hi = INT32_MIN;
    c.flo = 1.0f, c.fhi = -1.0f;
  }
  s->samplesInTick = 0;
}

int32_t Quantise(const Scan& s, int32_t v) {
  int64_t x = int64_t(v) * 256;
  if (s.cls == kFormatClassUnsigned) return int32_t((x + (int64_t(1) << (s.shift - 1))) >> s.shift) + 128;
  if (s.shift >= 32) return int32_t(x / (int64_t(1) << 32)) + 128;
  return int32_t(x >> s.shift) + 128;
}

int32_t QuantiseFloat(float v) { return int32_t(std::clamp(v, -1.0f, 1.0f) * 128.0f) + 128; }

bool ChannelIsSilent(const Scan& s, const ChannelScan& c) {
  return s.cls == kFormatClassFloat ? (c.flo == 0.0f && c.fhi == 0.0f) : (c.lo == 0 && c.hi == 0);
}

// Appends a channel's values at a tick, after the ticks since its last entry.
void AppendChannel(const Scan& s, ChannelScan* c, int32_t atTick) {
  int32_t ticks = atTick - c->out.lastTick;
  if (s.cls == kFormatClassFloat)
    AppendOverviewEntry(&c->out, ticks, QuantiseFloat(c->flo), QuantiseFloat(c->fhi));
  else
    AppendOverviewEntry(&c->out, ticks, Quantise(s, c->lo), Quantise(s, c->hi));
}

// A tick is complete: each channel that has waveform in it appends it (signed classes want
// more than one sample; a tick with fewer carries its values into the next).
void CompleteTick(Scan* s) {
  bool carry = s->samplesInTick == 0 ||
               (s->samplesInTick == 1 && (s->cls == kFormatClassSignedBig || s->cls == kFormatClassLittle));
  if (!carry) {
    for (ChannelScan& c : s->channels)
      if (!ChannelIsSilent(*s, c)) AppendChannel(*s, &c, s->tick);
    ResetPending(s);
  }
  ++s->tick;
  s->tickEnd = NextTickPosition(s, s->tick + 1);
}

// 16-bit mono and stereo audio, the common case, is scanned straight from the read: 16
// lanes of running lowest and highest values, lane j holding channel j % channels, kept in
// whole vectors (never in memory) so that the loop runs on the processor's vector registers.
constexpr int kLanes = 16;
typedef int16_t Lanes16 __attribute__((vector_size(2 * kLanes)));
typedef uint16_t Words16 __attribute__((vector_size(2 * kLanes)));

// Folds the upper half of the lanes onto the lower half, width lanes apart.
template <int Width>
inline __attribute__((always_inline)) Lanes16 Folded(Lanes16 v) {
  constexpr int m = kLanes - 1;
  return __builtin_shufflevector(v, v, Width & m, (Width + 1) & m, (Width + 2) & m, (Width + 3) & m,
                                 (Width + 4) & m, (Width + 5) & m, (Width + 6) & m, (Width + 7) & m,
                                 (Width + 8) & m, (Width + 9) & m, (Width + 10) & m, (Width + 11) & m,
                                 (Width + 12) & m, (Width + 13) & m, (Width + 14) & m, (Width + 15) & m);
}

inline __attribute__((always_inline)) Lanes16 Lower(Lanes16 a, Lanes16 b) { return a < b ? a : b; }
inline __attribute__((always_inline)) Lanes16 Higher(Lanes16 a, Lanes16 b) { return a > b ? a : b; }

// The lowest and highest sample of each channel (1 or 2, interleaved) over n samples: the
// lanes run over whole vectors, are folded down to one lane a channel, then the rest joins.
template <bool Little>
inline __attribute__((always_inline)) void MinMax16Body(const uint8_t* p, int32_t n, int32_t channels, int16_t* lo,
                                                        int16_t* hi) {
  Lanes16 l = Lanes16{} + int16_t(INT16_MAX), h = Lanes16{} + int16_t(INT16_MIN);
  auto join = [&](int32_t at) {
    Words16 u;
    std::memcpy(&u, p + 2 * at, sizeof u);
    if (!Little) u = (u >> 8) | (u << 8);
    Lanes16 v = reinterpret_cast<Lanes16>(u);
    l = Lower(v, l);
    h = Higher(v, h);
  };
  int32_t i = 0;
  for (; i + kLanes <= n; i += kLanes) join(i);
  // The rest as the last whole vector (samples seen twice change no extreme; n - kLanes is
  // even, so each lane keeps its channel).
  if (i < n && n >= kLanes && (n & 1) == 0) i = n, join(n - kLanes);
  l = Lower(l, Folded<8>(l)), h = Higher(h, Folded<8>(h));
  l = Lower(l, Folded<4>(l)), h = Higher(h, Folded<4>(h));
  l = Lower(l, Folded<2>(l)), h = Higher(h, Folded<2>(h));
  if (channels == 1) l = Lower(l, Folded<1>(l)), h = Higher(h, Folded<1>(h));
  lo[0] = l[0], hi[0] = h[0], lo[1] = l[1], hi[1] = h[1];
  for (; i < n; ++i) {
    int16_t v = Little ? int16_t(p[2 * i] | (p[2 * i + 1] << 8)) : int16_t((p[2 * i] << 8) | p[2 * i + 1]);
    int j = i & (channels - 1);
    lo[j] = v < lo[j] ? v : lo[j];
    hi[j] = v > hi[j] ? v : hi[j];
  }
}

__attribute__((target_clones("avx2", "default"))) void MinMax16Big(const uint8_t* p, int32_t n, int32_t channels,
                                                                  int16_t* lo, int16_t* hi) {
  MinMax16Body<false>(p, n, channels, lo, hi);
}

__attribute__((target_clones("avx2", "default"))) void MinMax16Little(const uint8_t* p, int32_t n, int32_t channels,
                                                                     int16_t* lo, int16_t* hi) {
  MinMax16Body<true>(p, n, channels, lo, hi);
}

// A chunk of 16-bit frames scanned in place into each channel's tick.
void Scan16(Scan* s, const uint8_t* p, int32_t frames) {
  int16_t lo[2], hi[2];
  int32_t channels = int32_t(s->channels.size());
  if (s->cls == kFormatClassLittle) MinMax16Little(p, frames * channels, channels, lo, hi);
  else MinMax16Big(p, frames * channels, channels, lo, hi);
  for (int32_t j = 0; j < channels; ++j) {
    ChannelScan& c = s->channels[size_t(j)];
    c.lo = std::min<int32_t>(c.lo, lo[j]);
    c.hi = std::max<int32_t>(c.hi, hi[j]);
  }
}

// Splits a read into one array per channel of sample values (all frames of the read).
template <class Reader>
void DecodeFrames(Scan* s, const uint8_t* p, int32_t frames) {
  size_t channels = s->channels.size();
  for (size_t c = 0; c < channels; ++c) {
    const uint8_t* q = p + c * s->bytes;
    typename Reader::Value* out;
    if constexpr (std::is_same_v<typename Reader::Value, float>) out = s->channels[c].floats.data();
    else out = s->channels[c].ints.data();
    for (int32_t f = 0; f < frames; ++f) out[f] = Reader::Get(q + int64_t(f) * s->frameBytes);
  }
}

template <int Bytes, bool Little, bool Unsigned>
void DecodeIntFrames(Scan* s, const uint8_t* p, int32_t frames) {
  DecodeFrames<IntSample<Bytes, Little, Unsigned>>(s, p, frames);
}

void DecodeRead(Scan* s, const uint8_t* p, int32_t frames) {
  bool little = s->cls == kFormatClassLittle, unsig = s->cls == kFormatClassUnsigned;
  if (s->cls == kFormatClassFloat) return DecodeFrames<FloatSample>(s, p, frames);
  switch (s->bytes * 4 + (little ? 1 : 0) + (unsig ? 2 : 0)) {
    case 4: return DecodeIntFrames<1, false, false>(s, p, frames);
    case 5: return DecodeIntFrames<1, true, false>(s, p, frames);
    case 6: return DecodeIntFrames<1, false, true>(s, p, frames);
    case 8: return DecodeIntFrames<2, false, false>(s, p, frames);
    case 9: return DecodeIntFrames<2, true, false>(s, p, frames);
    case 10: return DecodeIntFrames<2, false, true>(s, p, frames);
    case 12: return DecodeIntFrames<3, false, false>(s, p, frames);
    case 13: return DecodeIntFrames<3, true, false>(s, p, frames);
    case 14: return DecodeIntFrames<3, false, true>(s, p, frames);
    case 16: return DecodeIntFrames<4, false, false>(s, p, frames);
    case 17: return DecodeIntFrames<4, true, false>(s, p, frames);
    default: return DecodeIntFrames<4, false, true>(s, p, frames);
  }
}

template <typename T>
void MinMax(const T* v, int32_t n, T* lo, T* hi) {
  T a = *lo, b = *hi;
  for (int32_t i = 0; i < n; ++i) {
    a = v[i] < a ? v[i] : a;
    b = v[i] > b ? v[i] : b;
  }
  *lo = a, *hi = b;
}

// Frames from..from + n of the decoded read (or of silence) join each channel's tick.
void ScanChunk(Scan* s, bool silent, int32_t from, int32_t n) {
  for (ChannelScan& c : s->channels) {
    if (silent) {
      c.lo = std::min(c.lo, 0), c.hi = std::max(c.hi, 0);
      c.flo = std::min(c.flo, 0.0f), c.fhi = std::max(c.fhi, 0.0f);
    } else if (s->cls == kFormatClassFloat) {
      MinMax(c.floats.data() + from, n, &c.flo, &c.fhi);
    } else {
      MinMax(c.ints.data() + from, n, &c.lo, &c.hi);
    }
  }
}

// Walks a read (decoded, or silence) tick by tick.
void WalkFrames(Scan* s, int64_t position, bool silent, int32_t frames) {
  if (!silent && !s->inPlace16) DecodeRead(s, s->buffer, frames);
  int32_t i = 0;
  while (i < frames) {
    int32_t k = int32_t(std::min<int64_t>(frames - i, s->tickEnd - (position + i)));
    if (k > 0) {
      if (!silent && s->inPlace16) Scan16(s, s->buffer + int64_t(i) * s->frameBytes, k);
      else ScanChunk(s, silent, i, k);
      s->samplesInTick += k;
      i += k;
    }
    if (position + i >= s->tickEnd) CompleteTick(s);
  }
}

OSErr ReadFrames(Scan* s, const uint8_t* region, int64_t first, int32_t count, int32_t* got, bool* silent) {
  return ReadOverviewRegionFrames(region, first, count, s->frameBytes, s->buffer, got, silent);
}

// After a block really read: a background computation yields now and then.
bool KeepGoing(Scan* s) {
  if (!s->source->yield || TickCount() - s->lastYield <= kYieldIntervalTicks) return true;
  bool go = s->source->yield(s->source);
  s->lastYield = TickCount();
  s->batchCount = 0;
  return go;
}

OSErr ScanRange(Scan* s, int64_t position, int64_t endPosition) {
  int32_t framesPerRead = kReadBufferBytes / s->frameBytes;
  while (position < endPosition) {
    int64_t start = 0, end = 0;
    int32_t index = FindRegionAtPosition(position, &start, &end, s->source->regions);
    if (index < 0) break;
    const uint8_t* region = reinterpret_cast<const uint8_t*>(*s->source->regions) + index * kRegionSize;
    if (region[kRegionBytesPerFrameAt] != s->frameBytes) return kOverviewNoFrameSize;
    int32_t count = int32_t(std::min<int64_t>({framesPerRead, end - position, endPosition - position}));
    int32_t got = 0;
    bool silent = false;
    OSErr err = ReadFrames(s, region, position - start, count, &got, &silent);
    if (err != noErr) return err;
    if (got == 0) break;
    WalkFrames(s, position, silent, got);
    position += got;
    if (!silent && !KeepGoing(s)) return kOverviewJobGaveUp;
  }
  return noErr;
}

OSErr PrepareScan(Scan* s) {
  s->cls = ClassifySampleFormat(s->source->encoding, s->source->bits);
  if (s->cls == kFormatClassForeign) return kOverviewUnreadableFormat;
  s->bytes = (s->source->bits + 7) / 8;
  s->shift = s->bytes * 8;
  if (!s->source->regions || CountAudioRegions(s->source->regions) == 0 || !(s->source->rate > 0)) return paramErr;
  s->frameBytes = reinterpret_cast<const uint8_t*>(*s->source->regions)[kRegionBytesPerFrameAt];
  int32_t channels = std::max<int16_t>(s->source->channels, 1);
  if (s->frameBytes == 0 || s->frameBytes < channels * s->bytes) return kOverviewNoFrameSize;
  s->channels.resize(size_t(channels));
  s->inPlace16 = s->bytes == 2 && channels <= 2 && s->frameBytes == 2 * channels &&
                 (s->cls == kFormatClassSignedBig || s->cls == kFormatClassLittle);
  int32_t framesPerRead = kReadBufferBytes / s->frameBytes;
  for (ChannelScan& c : s->channels) {
    if (s->cls == kFormatClassFloat) c.floats.resize(size_t(framesPerRead));
    else c.ints.resize(size_t(framesPerRead));
    c.out.block = NewOverviewBlock(int16_t(channels));
    if (!c.out.block) return memFullErr;
    c.out.capacity = kOverviewNewBlockBytes;
  }
  return noErr;
}

// Ends every block, links them in channel order; the first is the chain.
Handle FinishChain(Scan* s, int32_t endTick) {
  // A tick cut by the end of the audio shows what it holds; the entry after the last tick is
  // the one not in use.
  for (ChannelScan& c : s->channels) {
    if (s->samplesInTick > 0 && s->tick < endTick && !ChannelIsSilent(*s, c)) AppendChannel(*s, &c, s->tick);
    AppendOverviewSilence(&c.out, std::max(endTick - c.out.lastTick, 1));
    FinishOverviewBlock(&c.out);
  }
  for (size_t i = 0; i + 1 < s->channels.size(); ++i)
    if (s->channels[i].out.block) SetOverviewBlockNext(s->channels[i].out.block, s->channels[i + 1].out.block);
  return s->channels[0].out.block;
}

bool AnyBlockLost(const Scan& s) {
  for (const ChannelScan& c : s.channels)
    if (!c.out.block) return true;
  return false;
}

void DisposeScanBlocks(Scan* s) {
  for (ChannelScan& c : s->channels) {
    if (c.out.block) DisposeHandle(c.out.block);
    c.out.block = Handle();
  }
}

}  // namespace

int64_t OverviewAudioFrames(Handle regions) {
  if (!regions) return 0;
  int64_t start = 0, end = 0;
  FindRegionAtPosition(kOpenRegionEnd, &start, &end, regions);
  return end;
}

int32_t OverviewAudioEndTick(const OverviewSource& source) {
  int64_t frames = OverviewAudioFrames(source.regions);
  if (frames <= 0 || !source.song) return 1;
  uint8_t* song = reinterpret_cast<uint8_t*>(*source.song);
  // The first tick whose start lies at or after the end of the audio.
  int32_t lo = 1, hi = 2;
  while (TickToSamplePositionInSong(hi, source.rate, song) < frames && hi < INT32_MAX / 2) hi *= 2;
  while (lo < hi) {
    int32_t mid = lo + (hi - lo) / 2;
    if (TickToSamplePositionInSong(mid, source.rate, song) < frames) lo = mid + 1;
    else hi = mid;
  }
  return lo;
}

int32_t ResolveOverviewEndTick(const OverviewSource& source, int32_t endTick) {
  int32_t length = OverviewAudioEndTick(source);
  if (endTick == 0 || endTick > length) endTick = length;
  return std::max(endTick, 1);
}

OSErr ComputeOverviewChain(OverviewSource* source, int32_t startTick, int32_t endTick, Handle* chain) {
  *chain = Handle();
  if (!source || !source->song) return paramErr;
  Scan s;
  s.source = source;
  OSErr err = PrepareScan(&s);
  std::vector<uint8_t> buffer(kReadBufferBytes);
  s.buffer = buffer.data();
  startTick = std::max(startTick, 1);
  endTick = std::max(ResolveOverviewEndTick(*source, endTick), startTick);
  if (err == noErr) {
    for (ChannelScan& c : s.channels) c.out.lastTick = startTick - 1;
    ResetPending(&s);
    s.tick = startTick;
    s.tickEnd = TickPosition(s, startTick + 1);
    s.lastYield = TickCount();
    int64_t endPosition = std::min(TickPosition(s, endTick), OverviewAudioFrames(source->regions));
    err = ScanRange(&s, TickPosition(s, startTick), endPosition);
  }
  if (err == noErr) *chain = FinishChain(&s, endTick);
  if (err == noErr && AnyBlockLost(s)) err = memFullErr;
  if (err != noErr) {
    DisposeScanBlocks(&s);
    *chain = Handle();
  }
  return err;
}
