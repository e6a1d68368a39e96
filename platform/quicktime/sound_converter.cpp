#include "platform/quicktime/sound_converter.h"

#include <algorithm>
#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

struct SoundConverterRecord {
  SoundComponentData input;
  SoundComponentData output;
  AVCodecID codecId = AV_CODEC_ID_NONE;
  AVCodecContext* context = nullptr;
  AVCodecParserContext* parser = nullptr;
  SwrContext* resampler = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  std::vector<uint8_t> waveFormat;
  std::vector<uint8_t> pendingInput = std::vector<uint8_t>(AV_INPUT_BUFFER_PADDING_SIZE, 0);  // offered bytes not yet parsed
  size_t pendingStart = 0;
  std::vector<uint8_t> decoded;       // output made beyond what the caller took
  size_t decodedStart = 0;
  int32_t blockAlign = 0;
  bool variableBitRate = false;
  bool endOfInput = false;
  bool drained = false;
  bool begun = false;
};

namespace {

constexpr OSErr kNoConverterErr = -50;

AVCodecID PcmCodecFor(OSType format, int16_t bits) {
  switch (format) {
    case FourCC("raw "): return AV_CODEC_ID_PCM_U8;
    case FourCC("twos"):
    case FourCC("NONE"):
      return bits <= 8 ? AV_CODEC_ID_PCM_S8 : bits <= 16 ? AV_CODEC_ID_PCM_S16BE
             : bits <= 24 ? AV_CODEC_ID_PCM_S24BE : AV_CODEC_ID_PCM_S32BE;
    case FourCC("sowt"):
      return bits <= 8 ? AV_CODEC_ID_PCM_S8 : bits <= 16 ? AV_CODEC_ID_PCM_S16LE
             : bits <= 24 ? AV_CODEC_ID_PCM_S24LE : AV_CODEC_ID_PCM_S32LE;
    case FourCC("in24"): return AV_CODEC_ID_PCM_S24BE;
    case FourCC("in32"): return AV_CODEC_ID_PCM_S32BE;
    case FourCC("fl32"): return AV_CODEC_ID_PCM_F32BE;
    case FourCC("fl64"): return AV_CODEC_ID_PCM_F64BE;
    case FourCC("ulaw"): return AV_CODEC_ID_PCM_MULAW;
    case FourCC("alaw"): return AV_CODEC_ID_PCM_ALAW;
    case FourCC(".mp3"): return AV_CODEC_ID_MP3;
    case FourCC("flac"): return AV_CODEC_ID_FLAC;
    case FourCC("ima4"): return AV_CODEC_ID_ADPCM_IMA_QT;
    case FourCC("aac "): return AV_CODEC_ID_AAC;
    default: return AV_CODEC_ID_NONE;
  }
}

bool IsPcm(AVCodecID id) { return id >= AV_CODEC_ID_PCM_S16LE && id < AV_CODEC_ID_ADPCM_IMA_QT; }

// The codec a WAVE format block names (tag 1 integer PCM and 3 float by the sample width).
AVCodecID WaveCodec(const std::vector<uint8_t>& wave, int16_t bits) {
  if (wave.size() < 16) return AV_CODEC_ID_NONE;
  uint16_t tag = uint16_t(wave[0] | (wave[1] << 8));
  uint16_t waveBits = uint16_t(wave[14] | (wave[15] << 8));
  if (waveBits) bits = int16_t(waveBits);
  if (tag == 0xFFFE && wave.size() >= 26) tag = uint16_t(wave[24] | (wave[25] << 8));  // extensible
  if (tag == 1)
    return bits <= 8 ? AV_CODEC_ID_PCM_U8 : bits <= 16 ? AV_CODEC_ID_PCM_S16LE
           : bits <= 24 ? AV_CODEC_ID_PCM_S24LE : AV_CODEC_ID_PCM_S32LE;
  if (tag == 3) return bits > 32 ? AV_CODEC_ID_PCM_F64LE : AV_CODEC_ID_PCM_F32LE;
  const AVCodecTag* tables[] = {avformat_get_riff_audio_tags(), nullptr};
  return av_codec_get_id(tables, tag);
}

// The pending input ends with zero padding that parsers and decoders may read past the data.
size_t PendingEnd(const SoundConverterRecord* c) { return c->pendingInput.size() - AV_INPUT_BUFFER_PADDING_SIZE; }

int32_t InputFrameBytes(const SoundConverterRecord* c) {
  int bits = av_get_bits_per_sample(c->codecId);
  return bits > 0 ? std::max(1, int32_t(c->input.numChannels)) * bits / 8 : 0;
}

int32_t OutputSampleBytes(const SoundComponentData& out) { return out.format == FourCC("fl32") ? 4 : out.sampleSize <= 8 ? 1 : 2; }

AVSampleFormat OutputSampleFormat(const SoundComponentData& out) {
  if (out.format == FourCC("fl32")) return AV_SAMPLE_FMT_FLT;
  return out.sampleSize <= 8 ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
}

void FreeCodec(SoundConverterRecord* c) {
  if (c->parser) av_parser_close(c->parser);
  c->parser = nullptr;
  avcodec_free_context(&c->context);
  swr_free(&c->resampler);
  av_packet_free(&c->packet);
  av_frame_free(&c->frame);
}

OSErr OpenCodec(SoundConverterRecord* c) {
  const AVCodec* codec = avcodec_find_decoder(c->codecId);
  if (!codec) return kBadFormatErr;
  c->context = avcodec_alloc_context3(codec);
  c->packet = av_packet_alloc();
  c->frame = av_frame_alloc();
  if (!c->context || !c->packet || !c->frame) return -108;
  av_channel_layout_default(&c->context->ch_layout, std::max<int>(1, c->input.numChannels));
  c->context->sample_rate = int(c->input.sampleRate >> 16);
  c->context->bits_per_coded_sample = c->input.sampleSize;
  c->context->block_align = c->blockAlign;
  if (c->waveFormat.size() > 18) {
    size_t extra = c->waveFormat.size() - 18;
    c->context->extradata = static_cast<uint8_t*>(av_mallocz(extra + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!c->context->extradata) return -108;
    std::memcpy(c->context->extradata, c->waveFormat.data() + 18, extra);
    c->context->extradata_size = int(extra);
  }
  if (avcodec_open2(c->context, codec, nullptr) < 0) return kBadFormatErr;
  if (!IsPcm(c->codecId)) c->parser = av_parser_init(int(c->codecId));
  return 0;
}

// Appends a decoded frame to the output queue in the output's format and rate.
OSErr QueueFrame(SoundConverterRecord* c, AVFrame* f) {
  if (!c->resampler && !f) return 0;
  if (!c->resampler) {
    AVChannelLayout outLayout;
    av_channel_layout_default(&outLayout, std::max<int>(1, c->output.numChannels));
    int r = swr_alloc_set_opts2(&c->resampler, &outLayout, OutputSampleFormat(c->output),
                                int(c->output.sampleRate >> 16), &f->ch_layout, AVSampleFormat(f->format),
                                f->sample_rate, 0, nullptr);
    if (r < 0 || swr_init(c->resampler) < 0) return kBadFormatErr;
  }
  int outFrames = swr_get_out_samples(c->resampler, f ? f->nb_samples : 0);
  if (outFrames <= 0) return 0;
  int32_t frameBytes = OutputSampleBytes(c->output) * std::max<int>(1, c->output.numChannels);
  size_t at = c->decoded.size();
  c->decoded.resize(at + size_t(outFrames) * size_t(frameBytes));
  uint8_t* out[1] = {c->decoded.data() + at};
  int made = swr_convert(c->resampler, out, outFrames, f ? const_cast<const uint8_t**>(f->extended_data) : nullptr,
                         f ? f->nb_samples : 0);
  if (made < 0) made = 0;
  c->decoded.resize(at + size_t(made) * size_t(frameBytes));
  if (OutputSampleFormat(c->output) == AV_SAMPLE_FMT_U8)
    for (size_t i = at; i < c->decoded.size(); ++i) c->decoded[i] ^= 0x80;  // signed 8-bit out
  return 0;
}

// Receives every frame the decoder has ready. A decoder error drops the bad frame.
OSErr ReceiveFrames(SoundConverterRecord* c) {
  for (;;) {
    int r = avcodec_receive_frame(c->context, c->frame);
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return 0;
    if (r < 0) return -206;
    OSErr e = QueueFrame(c, c->frame);
    av_frame_unref(c->frame);
    if (e) return e;
  }
}

OSErr SendPacket(SoundConverterRecord* c, const uint8_t* data, int size) {
  if (av_new_packet(c->packet, size) < 0) return -108;
  std::memcpy(c->packet->data, data, size_t(size));
  int r = avcodec_send_packet(c->context, c->packet);
  av_packet_unref(c->packet);
  OSErr e = ReceiveFrames(c);
  return r < 0 && r != AVERROR(EAGAIN) ? OSErr(-206) : e;
}

// Decodes what is pending; whole frames for PCM, parsed packets otherwise.
OSErr DecodePending(SoundConverterRecord* c) {
  OSErr worst = 0;
  size_t end = PendingEnd(c);
  size_t left = end - c->pendingStart;
  if (left == 0) return 0;
  const uint8_t* at = c->pendingInput.data() + c->pendingStart;
  if (!c->parser) {
    int32_t unit = c->blockAlign > 0 ? c->blockAlign : std::max(1, InputFrameBytes(c));
    size_t whole = left / size_t(unit) * size_t(unit);
    if (whole) worst = SendPacket(c, at, int(whole));
    c->pendingStart += whole;
  } else {
    while (left > 0) {
      uint8_t* out = nullptr;
      int outSize = 0;
      int used = av_parser_parse2(c->parser, c->context, &out, &outSize, at, int(left), AV_NOPTS_VALUE,
                                  AV_NOPTS_VALUE, 0);
      if (used < 0) break;
      at += used;
      left -= size_t(used);
      c->pendingStart += size_t(used);
      if (outSize > 0) {
        OSErr e = SendPacket(c, out, outSize);
        if (e && !worst) worst = e;
      }
    }
  }
  // What was parsed leaves the queue; the rest (a part frame) waits for the next offer.
  c->pendingInput.erase(c->pendingInput.begin(), c->pendingInput.begin() + std::ptrdiff_t(c->pendingStart));
  c->pendingStart = 0;
  return worst;
}

// The end of the source: the parser's and the decoder's last frames, then the resampler's.
OSErr Drain(SoundConverterRecord* c) {
  OSErr worst = 0;
  for (int32_t frames = 0; c->parser && frames < 1 << 16; ++frames) {  // one held frame a call
    uint8_t* out = nullptr;
    int outSize = 0;
    av_parser_parse2(c->parser, c->context, &out, &outSize, nullptr, 0, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
    if (outSize <= 0) break;
    OSErr e = SendPacket(c, out, outSize);
    if (e && !worst) worst = e;
  }
  avcodec_send_packet(c->context, nullptr);
  OSErr e = ReceiveFrames(c);
  if (!worst) worst = e;
  if (c->resampler) QueueFrame(c, nullptr);
  c->drained = true;
  return worst;
}

size_t TakeDecoded(SoundConverterRecord* c, uint8_t* to, size_t room) {
  size_t n = std::min(room, c->decoded.size() - c->decodedStart);
  if (n == 0) return 0;
  std::memcpy(to, c->decoded.data() + c->decodedStart, n);
  c->decodedStart += n;
  if (c->decodedStart * 2 >= c->decoded.size()) {
    c->decoded.erase(c->decoded.begin(), c->decoded.begin() + std::ptrdiff_t(c->decodedStart));
    c->decodedStart = 0;
  }
  return n;
}

// Takes one offer of the fill procedure into the pending input; false when none came.
bool TakeOffer(SoundConverterRecord* c, SoundConverterFillBufferDataProc fill, void* refCon) {
  SoundComponentData* offer = nullptr;
  if (!fill || !fill(&offer, refCon) || !offer) return false;
  int32_t bytes = 0;
  if (offer->flags & kExtendedSoundData) {
    auto* extended = reinterpret_cast<ExtendedSoundComponentData*>(offer);
    bytes = extended->bufferSize;
    if (extended->bufferFlags & kExtendedSoundBufferEndOfStream) c->endOfInput = true;
  } else {
    bytes = offer->sampleCount * std::max(1, InputFrameBytes(c));
  }
  if (offer->buffer && bytes > 0)
    c->pendingInput.insert(c->pendingInput.begin() + std::ptrdiff_t(PendingEnd(c)), offer->buffer, offer->buffer + bytes);
  return true;
}

}  // namespace

OSErr SoundConverterOpen(const SoundComponentData* input, const SoundComponentData* output, SoundConverter* converter) {
  if (!converter) return kNoConverterErr;
  *converter = nullptr;
  av_log_set_level(AV_LOG_FATAL);  // a damaged stream is answered by results, not console lines
  if (!input || !output || input->numChannels < 1 || output->numChannels < 1 || (input->sampleRate >> 16) == 0 ||
      (output->sampleRate >> 16) == 0)
    return kNoConverterErr;
  AVCodecID id = PcmCodecFor(input->format, input->sampleSize);
  if (id == AV_CODEC_ID_NONE && !avcodec_find_decoder(id)) {
    // A format only a WAVE block names is accepted now and checked when that block arrives.
    if (input->format == 0) return kBadFormatErr;
  } else if (!avcodec_find_decoder(id)) {
    return kBadFormatErr;
  }
  auto* c = new (std::nothrow) SoundConverterRecord;
  if (!c) return -108;
  c->input = *input;
  c->output = *output;
  c->codecId = id;
  *converter = c;
  return 0;
}

OSErr SoundConverterClose(SoundConverter converter) {
  if (!converter) return kNoConverterErr;
  FreeCodec(converter);
  delete converter;
  return 0;
}

OSErr SoundConverterSetInfo(SoundConverter converter, OSType selector, const void* info, uint32_t size) {
  if (!converter) return kNoConverterErr;
  if (selector == kSoundConverterInfoVbr) {
    converter->variableBitRate = info != nullptr;
    return 0;
  }
  if (selector != kSoundConverterInfoWave) return kSiUnknownInfoType;
  if (!info || size < 16) return kNoConverterErr;
  const auto* bytes = static_cast<const uint8_t*>(info);
  std::vector<uint8_t> wave(bytes, bytes + size);
  if (size >= 18) {
    uint32_t extra = uint32_t(bytes[16] | (bytes[17] << 8));
    if (extra > size - 18) return kNoConverterErr;  // cbSize beyond the block
    wave.resize(18 + extra);
  }
  AVCodecID id = WaveCodec(wave, converter->input.sampleSize);
  if (id == AV_CODEC_ID_NONE || !avcodec_find_decoder(id)) return kBadFormatErr;
  converter->waveFormat = std::move(wave);
  converter->codecId = id;
  converter->blockAlign = int32_t(bytes[12] | (bytes[13] << 8));
  return 0;
}

OSErr SoundConverterGetBufferSizes(SoundConverter converter, uint32_t inputBytesTarget, uint32_t* inputFrames,
                                   uint32_t* inputBytes, uint32_t* outputBytes) {
  if (!converter || !inputFrames || !inputBytes || !outputBytes) return kNoConverterErr;
  // Compressed sources are sized as if they were 16-bit PCM: a half never gives less output
  // than the estimate (output beyond a block waits in the converter).
  int32_t frameBytes = InputFrameBytes(converter);
  if (frameBytes <= 0) frameBytes = 2 * std::max<int>(1, converter->input.numChannels);
  int32_t unit = converter->blockAlign > frameBytes ? converter->blockAlign : frameBytes;
  uint32_t units = inputBytesTarget / uint32_t(unit);
  if (units == 0) return kNotEnoughBufferSpace;
  *inputBytes = units * uint32_t(unit);
  *inputFrames = *inputBytes / uint32_t(frameBytes);
  double ratio = double(converter->output.sampleRate) / double(converter->input.sampleRate);
  uint32_t outFrames = uint32_t(double(*inputFrames) * ratio);
  *outputBytes = outFrames * uint32_t(OutputSampleBytes(converter->output) * std::max<int>(1, converter->output.numChannels));
  return 0;
}

OSErr SoundConverterBeginConversion(SoundConverter converter) {
  if (!converter) return kNoConverterErr;
  FreeCodec(converter);
  converter->pendingInput.assign(AV_INPUT_BUFFER_PADDING_SIZE, 0);
  converter->decoded.clear();
  converter->pendingStart = converter->decodedStart = 0;
  converter->endOfInput = converter->drained = false;
  OSErr e = OpenCodec(converter);
  converter->begun = e == 0;
  return e;
}

OSErr SoundConverterFillBuffer(SoundConverter converter, SoundConverterFillBufferDataProc fill, void* refCon,
                               void* destination, uint32_t outputBytes, uint32_t* bytesWritten,
                               uint32_t* framesWritten, uint32_t* outputFlags) {
  uint32_t written = 0;
  OSErr worst = 0;
  if (outputFlags) *outputFlags = 0;
  if (!converter || !converter->begun || !destination) {
    worst = kNoConverterErr;
  } else {
    auto* to = static_cast<uint8_t*>(destination);
    // Every fill takes one offer, so no input half is skipped or read twice; output beyond
    // the buffer waits in the converter for the next fill.
    if (!converter->endOfInput && TakeOffer(converter, fill, refCon)) worst = DecodePending(converter);
    for (;;) {
      written += uint32_t(TakeDecoded(converter, to + written, outputBytes - written));
      if (written >= outputBytes || converter->drained || !converter->endOfInput) break;
      OSErr e = DecodePending(converter);
      if (e && !worst) worst = e;
      e = Drain(converter);
      if (e && !worst) worst = e;
    }
    if (written < outputBytes && outputFlags) *outputFlags = kSoundConverterDidntFillBuffer;
  }
  int32_t frameBytes = converter ? OutputSampleBytes(converter->output) * std::max<int>(1, converter->output.numChannels) : 1;
  if (bytesWritten) *bytesWritten = written;
  if (framesWritten) *framesWritten = written / uint32_t(frameBytes);
  return worst;
}
