#include "audio/streams/stream_decoders.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>

#include "audio/engine/engine_channels.h"
#include "audio/render/block_conversions.h"
#include "audio/render/channel_render.h"
#include "audio/streams/sound_converter_decode.h"
#include "audio/streams/stream_converters.h"

uint32_t gStreamBufferBytes = kDefaultStreamBufferBytes;
uint16_t gStreamFormatFlags = 0;
uint16_t gSoundManagerVersion = 0x0306;
uint16_t gQuickTimeVersion = 0x0710;

namespace {

constexpr OSType kNoneFormat = FourCC("NONE");
constexpr OSType kTwosFormat = FourCC("twos");
constexpr OSType kSowtFormat = FourCC("sowt");
constexpr OSType kIn24Format = FourCC("in24");
constexpr OSType kIn32Format = FourCC("in32");
constexpr OSType kIn32Reversed = FourCC("23ni");
constexpr OSType kOggFormat = FourCC("OggV");
constexpr OSType kMp3Format = FourCC(".mp3");
constexpr int32_t kResampleMargin = 8;

// What one set-up works out before it installs a decoder.
struct DecoderPlan {
  int32_t budget = 0;
  int32_t channels = 1;
  int32_t effectiveWidth = 16;
  int32_t blockBytes = 0;
  int32_t inputBytes = 0;
  int32_t blockFrames = 0;
  float engineRate = 0.0f;
  bool ratesUsable = false;
};

uint32_t Fixed1616(float rate) { return uint32_t(double(rate) * 65536.0); }

// Both input buffers of `bytes`; -108 when one cannot be had (what was had stays for the close).
int16_t AllocateInputBuffers(EngineChannel* c, int32_t bytes) {
  for (auto& buffer : c->inputBuffers) {
    buffer = static_cast<uint8_t*>(std::calloc(1, size_t(bytes > 0 ? bytes : 1)));
    if (!buffer) return kEngineErrNoMemory;
    mlock(buffer, size_t(bytes > 0 ? bytes : 1));
  }
  c->halfInputBytes[0] = c->halfInputBytes[1] = 0;
  return 0;
}

bool RenderTakesNoInput(const EngineChannel* c) { return c->renderState && c->renderState->inputChannels <= 0; }

// Step 10: the same-rate copier, when the widths and formats allow it; false otherwise.
bool TrySameRateCopier(EngineChannel* c, DecoderPlan& p, int16_t formatClass, int16_t* result) {
  bool widthsMatch = c->outputFormat == kFloat32Format || c->outputFormat == kIn24Format ||
                     (c->sourceFormat == c->outputFormat && (c->sourceWidth > 16 || p.effectiveWidth > 16)) ||
                     (formatClass == 3 && p.effectiveWidth == 16) || (c->sourceWidth == 24 && p.effectiveWidth == 16);
  if (c->sourceWidth <= 7 || formatClass == 0 || !widthsMatch) return false;
  p.inputBytes = int32_t(int64_t(p.budget) * c->sourceWidth / p.effectiveWidth);
  c->inputFramesPerCall = c->inputBytesPerFrame ? uint32_t(p.inputBytes / c->inputBytesPerFrame) : 0;
  *result = AllocateInputBuffers(c, p.inputBytes);
  if (*result) return true;
  if (c->sourceFormat == kIn32Reversed) c->sourceFormat = kSowtFormat;
  c->decodeProc = CopySameRateBlock;
  return true;
}

// Step 11: the resampler (or the Ogg decoder); -1 when the source goes to step 10's test.
int16_t SetUpResampler(EngineChannel* c, DecoderPlan& p, int16_t formatClass) {
  c->resampleStep = float(double(c->sourceRate) / double(p.engineRate));
  int32_t margin = c->resampleStep == 1.0f ? 0 : kResampleMargin;
  // The budget is output bytes of at most two sides; the input has all of the source's.
  int64_t bytes = int64_t(double(p.budget) * double(c->resampleStep) * c->sourceWidth / p.effectiveWidth *
                          p.channels / (p.channels > 1 ? 2 : 1));
  int32_t frames = c->inputBytesPerFrame ? int32_t(bytes / c->inputBytesPerFrame) + margin : margin;
  p.inputBytes = frames * c->inputBytesPerFrame;
  c->nominalInputFrames = c->inputFramesPerCall = uint32_t(frames);
  c->carryCapacity = 256u * c->inputBytesPerFrame;
  c->carryBytes = 0;
  c->carryBuffer = static_cast<uint8_t*>(std::calloc(1, c->carryCapacity ? c->carryCapacity : 1));
  if (!c->carryBuffer) return kEngineErrNoMemory;
  if (int16_t e = AllocateInputBuffers(c, p.inputBytes)) return e;
  c->outputPosition = 0.0;
  c->previousLeft = c->previousRight = 0.0f;
  c->floatScale = float(1u << (c->outputWidth > 16 ? 31 : c->outputWidth - 1));
  c->decodeProc = ConvertStreamBlock;
  (void)formatClass;
  if (c->sourceFormat != kOggFormat) return 0;
  size_t work = size_t(p.inputBytes > p.budget ? p.inputBytes : p.budget);
  c->oggWorkBuffer = static_cast<uint8_t*>(std::calloc(1, work));
  if (!c->oggWorkBuffer) return 0;  // falls back to the PCM converter
  c->decodeKind = kDecodeKindOwn;
  c->carryBytes = 0;
  c->decodeProc = DecodeOggStream;
  return 0;
}

// The input description of the converter from the channel's source.
void DescribeConverterSides(EngineChannel* c, const DecoderPlan& p) {
  SoundComponentData& in = c->inputDescription;
  if (c->sourceWidth == 24) in.format = kIn24Format;
  else if (c->sourceWidth == 32 && c->sourceFormat != kFloat32Format) in.format = kIn32Format;
  if (c->sourceFormat == kSowtFormat || c->sourceFormat == kIn32Reversed) in.format = kSowtFormat;
  (void)p;
}

// Asks the converter how much input a budget's output takes, growing the estimate by half
// while it answers that the estimate is too small.
int16_t SizeConverterBuffers(EngineChannel* c, DecoderPlan& p, const AudioFileDescription* d, uint32_t* inFrames,
                             uint32_t* inBytes, uint32_t* outBytes) {
  double estimate = double(p.budget) + 8.0;
  if (p.engineRate < c->sourceRate) estimate *= double(c->sourceRate) / double(p.engineRate);
  if (c->sourceWidth > p.effectiveWidth) estimate *= double(c->sourceWidth) / double(p.effectiveWidth);
  bool mp3 = c->sourceFormat == kMp3Format ||
             (d && d->waveFormat && d->waveFormatBytes >= 2 && d->waveFormat[0] == 0x55 && d->waveFormat[1] == 0x00);
  for (int32_t tries = 0; tries < 64; ++tries) {
    OSErr e = SoundConverterGetBufferSizes(static_cast<SoundConverter>(c->soundConverter), uint32_t(estimate), inFrames,
                                           inBytes, outBytes);
    if (e == 0 && *inFrames > 3) {
      if (mp3 && *inBytes / *inFrames < 900) *inBytes *= 2;
      return 0;
    }
    if (e != 0 && e != kNotEnoughBufferSpace) return e;
    estimate *= 1.5;
  }
  return kNotEnoughBufferSpace;
}

// Step 12: the Sound Converter (or the movie audio extraction).
int16_t SetUpSoundConverter(EngineChannel* c, DecoderPlan& p, const AudioFileDescription* d) {
  if (gSoundManagerVersion < 0x0306 || p.effectiveWidth < 8) return kDecodeErrSoundManagerTooOld;
  DescribeConverterSides(c, p);
  OSErr e = -50;
  if (!d || d->kind != 4) {  // only kind 4 is a movie audio extraction
    if (!p.ratesUsable) return kEngineErrUnsupported;
    SoundConverter converter = nullptr;
    e = SoundConverterOpen(&c->inputDescription, &c->outputDescription, &converter);
    c->soundConverter = converter;
  }
  if (d && (d->kind == 4 || e == -50) && gQuickTimeVersion >= 0x0710) return OpenMovieAudioExtraction(c, d, p.budget);
  if (e) return e;
  c->decodeKind = kDecodeKindOwn;
  auto converter = static_cast<SoundConverter>(c->soundConverter);
  if (d && d->waveFormat) {
    e = SoundConverterSetInfo(converter, kSoundConverterInfoWave, d->waveFormat, d->waveFormatBytes);
    if (e && e != kSiUnknownInfoType) return e;
  }
  c->extendedInput.extendedFlags = int32_t(kExtendedSoundSampleCountNotValid | kExtendedSoundBufferSizeValid);
  uint32_t inFrames = 0, inBytes = 0, outBytes = 0;
  if (d && d->variableBitRate) {
    SoundConverterSetInfo(converter, kSoundConverterInfoVbr, c, 1);
    c->extendedInput.extendedFlags |= int32_t(kExtendedSoundCommonFrameSizeValid);
    inBytes = uint32_t(p.budget);  // the media source supplies its own runs
    inFrames = uint32_t(p.budget / (c->inputBytesPerFrame ? c->inputBytesPerFrame : 1));
    outBytes = uint32_t(p.budget);
  } else if (int16_t se = SizeConverterBuffers(c, p, d, &inFrames, &inBytes, &outBytes)) {
    return se;
  }
  if (int16_t ae = AllocateInputBuffers(c, int32_t(inBytes))) return ae;
  p.inputBytes = int32_t(inBytes);
  c->inputFramesPerCall = inFrames;
  c->halfInputBytes[0] = c->halfInputBytes[1] = inBytes;
  c->inputBytesPerFrame = uint16_t(inFrames ? inBytes / inFrames : 0);
  int32_t cut = int32_t(outBytes - outBytes / 32);
  p.budget = p.blockBytes ? cut / p.blockBytes * p.blockBytes : 0;
  if ((e = SoundConverterBeginConversion(converter))) return e;
  c->extendedInput.desc = c->inputDescription;
  c->extendedInput.desc.flags = kExtendedSoundData;
  c->extendedInput.recordSize = 68;
  c->currentInputHalf = 0;
  c->decodeProc = FillFromSoundConverter;
  gStreamFormatFlags |= kStreamFormatSoundConverter;
  return 0;
}

// Steps 14 and 15: the chain wrapper and the block sizes.
void FinishDecoder(EngineChannel* c, DecoderPlan& p) {
  if (c->converterInChain && c->decodeProc) {
    c->innerDecodeProc = c->decodeProc;
    c->decodeProc = DecodeThroughConverterChain;
    c->decodeKind = kDecodeKindChain;
  }
  c->inputBytesPerCall = p.inputBytes;
  int32_t blocks = p.blockBytes ? p.budget / p.blockBytes : 0;
  c->blocksPerBudget[0] = c->blocksPerBudget[1] = uint16_t(blocks);
  c->decodedBlockBytes = blocks * p.blockBytes;
  c->decodedBlockFrames = c->outputBytesPerFrame ? c->decodedBlockBytes / c->outputBytesPerFrame : 0;
  if (c->outputFormat == kFloat32Format && c->outputBytesPerFrame != 4)
    c->decodedBlockBytes = blocks * p.blockFrames * (p.channels > 1 ? 2 : 1) * 4;  // at most two sides out
  c->bufferBudget = p.budget;
}

// Steps 1 to 6: the budget, the output format and the sizes.
int16_t PlanDecoder(EngineChannel* c, DecoderPlan& p, int32_t blockFrames, int16_t outputWidth, int16_t mode,
                    const AudioFileDescription* d, float engineRate) {
  p.budget = int32_t(gStreamBufferBytes);
  if (gStreamBufferBytes == kDefaultStreamBufferBytes && d && d->kind > 3) p.budget = 32768;
  if (outputWidth == 0) return -50;
  c->decodeProc = nullptr;
  c->decodeKind = kDecodeKindNone;
  p.channels = c->sourceChannels > 1 ? c->sourceChannels : 1;
  if (mode != 3 && p.channels > 1) p.budget *= 2;
  c->outputFormat = kNoneFormat;
  p.effectiveWidth = outputWidth;
  if (outputWidth > 16) {
    c->outputFormat = kFloat32Format;
    p.effectiveWidth = 32;
  } else if (outputWidth < 9) {
    c->outputFormat = kTwosFormat;
  }
  c->outputWidth = outputWidth;
  int32_t outChannels = p.channels > 1 ? 2 : 1;
  c->channelCount = uint16_t(p.channels);
  c->outputBytesPerFrame = uint16_t((p.effectiveWidth + 7) / 8 * outChannels);
  if (c->sourceFormat == kOggFormat && c->sourceRate != engineRate && outputWidth > 16) c->sourceWidth = 32;
  if (c->sourceWidth == 8) gStreamFormatFlags |= kStreamFormat8Bit;
  if (c->sourceRate != engineRate) gStreamFormatFlags |= kStreamFormatRateConversion;
  p.blockFrames = blockFrames;
  p.blockBytes = blockFrames * c->outputBytesPerFrame;
  if (p.blockBytes > 0) p.budget = p.budget / p.blockBytes * p.blockBytes;
  c->inputBytesPerFrame = uint16_t((c->sourceWidth + 7) / 8 * p.channels);
  c->inputFramesPerCall = c->inputBytesPerFrame ? uint32_t(p.budget / c->inputBytesPerFrame) : 0;
  p.engineRate = engineRate;
  p.ratesUsable = (c->sourceRate >= 1.0f && c->sourceRate <= 65536.0f && engineRate >= 1.0f && engineRate <= 65536.0f) ||
                  p.effectiveWidth == 16 || p.effectiveWidth == 32;
  if (c->sourceFormat == kTwosFormat && c->sourceWidth > 15) c->sourceFormat = kNoneFormat;
  return 0;
}

bool NeedsNoDecoder(const EngineChannel* c, const DecoderPlan& p) {
  if (RenderTakesNoInput(c) || c->soundConverter) return true;
  return c->sourceRate == p.engineRate && c->sourceWidth == p.effectiveWidth && c->sourceFormat == c->outputFormat;
}

// Steps 9 to 13: classifies the source and installs its decoder.
int16_t InstallDecoder(EngineChannel* c, DecoderPlan& p, const AudioFileDescription* d, bool force) {
  int16_t formatClass = ClassifyFileFormat(c->sourceFormat, int16_t(c->sourceWidth), d);
  c->inputDescription = SoundComponentData{};
  c->outputDescription = SoundComponentData{};
  if (c->sourceWidth == 8 && formatClass != 0 && c->sourceFormat != kRawFormat) c->sourceFormat = kTwosFormat;
  c->inputDescription.format = c->sourceFormat;
  c->inputDescription.numChannels = int16_t(p.channels);
  c->inputDescription.sampleSize = int16_t(c->sourceWidth);
  c->inputDescription.sampleRate = Fixed1616(c->sourceRate);
  c->outputDescription.format = c->outputFormat;
  c->outputDescription.numChannels = int16_t(p.channels > 1 ? 2 : 1);
  c->outputDescription.sampleSize = c->outputWidth;
  c->outputDescription.sampleRate = Fixed1616(p.engineRate);
  c->resampleStep = 1.0f;
  int16_t result = 0;
  bool sameRate = c->sourceRate == p.engineRate && !force;
  if (!sameRate && c->sourceWidth >= 8) {
    bool toCopierTest = p.effectiveWidth < 8 || (formatClass == 0 && c->sourceFormat != kOggFormat) ||
                        c->sourceFormat == kSowtFormat;
    if (!toCopierTest) return SetUpResampler(c, p, formatClass);
  }
  // The copier does not change the rate: a source at another rate that the resampler does not
  // take (a little-endian one, say) goes to the Sound Converter rather than play too fast.
  bool atEngineRate = c->sourceRate == p.engineRate;
  if (c->sourceWidth >= 8 && atEngineRate && TrySameRateCopier(c, p, formatClass, &result)) return result;
  return SetUpSoundConverter(c, p, d);
}

}  // namespace

int16_t OpenSoundConverters(EngineChannel* channel, int32_t blockFrames, int32_t spare, int16_t outputWidth,
                            int16_t mode, const AudioFileDescription* description, bool force, float engineRate) {
  (void)spare;
  if (!channel) return -50;
  if (channel->sourceRate <= 0.0f || engineRate <= 0.0f || (outputWidth != 0 && outputWidth < 8))
    return kDecodeErrBadRate;
  channel->fileDescription = description;
  DecoderPlan plan;
  if (int16_t e = PlanDecoder(channel, plan, blockFrames, outputWidth, mode, description, engineRate)) return e;
  int16_t result = 0;
  if (force || !NeedsNoDecoder(channel, plan)) result = InstallDecoder(channel, plan, description, force);
  FinishDecoder(channel, plan);
  if (result == 0 && !plan.ratesUsable) return kDecodeErrRatesOutOfRange;
  return result;
}

void CloseStreamDecoder(EngineChannel* channel) {
  if (!channel) return;
  for (auto& buffer : channel->inputBuffers) {
    if (buffer) munlock(buffer, size_t(channel->inputBytesPerCall > 0 ? channel->inputBytesPerCall : 1));
    std::free(buffer);
    buffer = nullptr;
  }
  std::free(channel->carryBuffer);
  channel->carryBuffer = nullptr;
  std::free(channel->oggWorkBuffer);
  channel->oggWorkBuffer = nullptr;
  if (channel->soundConverter) SoundConverterClose(static_cast<SoundConverter>(channel->soundConverter));
  channel->soundConverter = nullptr;
  if (channel->fileDescription && channel->fileDescription->kind == 4) CloseMovieAudioExtraction(channel);
  channel->decodeProc = channel->innerDecodeProc = nullptr;
  channel->decodeKind = kDecodeKindNone;
}

int16_t CopySameRateBlock(EngineChannel* channel, int32_t half, void* destination, uint8_t* endFlag) {
  (void)endFlag;
  if (!channel || !destination) return -50;
  half &= 1;
  uint32_t bytes = channel->halfInputBytes[half];
  bool hasData = bytes > 0 && channel->inputBuffers[half];
  uint32_t frames = channel->inputBytesPerFrame ? bytes / channel->inputBytesPerFrame : 0;
  int32_t produced = int32_t(frames) * channel->outputBytesPerFrame;
  if (produced > channel->decodedBlockBytes) produced = channel->decodedBlockBytes;
  int16_t result = 0;
  if (hasData) {
    int32_t channels = channel->channelCount > 1 ? 2 : 1;
    if (channel->outputFormat == kFloat32Format && channel->sourceFormat == kFloat32Format) {
      const uint8_t* p = channel->inputBuffers[half];
      auto* out = static_cast<float*>(destination);
      for (int32_t i = 0; i < produced / 4; ++i) {
        uint32_t u = (uint32_t(p[4 * i]) << 24) | (uint32_t(p[4 * i + 1]) << 16) | (uint32_t(p[4 * i + 2]) << 8) | p[4 * i + 3];
        std::memcpy(out + i, &u, 4);
      }
    } else if (channel->outputFormat == kFloat32Format && channel->sourceFormat == kSowtFormat) {
      ConvertSwappedToFloat(channel->inputBuffers[half], static_cast<float*>(destination), produced / 4 / channels,
                            channels, int16_t(channel->sourceWidth), true);
    } else {
      result = ConvertBlockTo16(channel, channel->inputBuffers[half], destination, true, produced);
    }
  }
  if (!hasData || result) produced = 0;
  if (produced < channel->decodedBlockBytes) {
    std::memset(static_cast<uint8_t*>(destination) + produced, 0, size_t(channel->decodedBlockBytes - produced));
    channel->halfAtEnd[half] = 1;
  }
  return result;
}

int16_t DecodeThroughConverterChain(EngineChannel* channel, int32_t half, void* destination, uint8_t* endFlag) {
  if (!channel || !channel->innerDecodeProc) return -50;
  uint8_t first = 0;
  if (!channel->decoderStarted) {
    channel->decoderStarted = 1;
    channel->currentInputHalf = 1;
    first = 1;
  }
  int16_t result = channel->innerDecodeProc(channel, half, destination, first ? &first : endFlag);
  channel->halfAtEnd[half & 1] = 1;
  if ((half & 1) == 1) channel->secondEndByte = 1;
  return result;
}
