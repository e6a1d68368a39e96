#include "media/sound_converter_source.h"

#include <cstdio>

#include "audio/render/block_conversions.h"
#include "platform/files/forks.h"
#include "platform/memory/memory.h"
#include "sequencer/transport/transport_engine.h"
#include "shell/base/progress_hooks.h"

namespace {

constexpr OSType kFloat32Format = FourCC("fl32");
constexpr OSErr kNoBytesPerFrameErr = -50;

void EndMediaData(ConverterMediaSource* m) {
  m->data.desc.sampleCount = 0;
  m->data.desc.buffer = nullptr;
  m->data.bufferSize = 0;
  m->moreData = 0;
  m->lastCount = 0;
}

void FetchNextSample(ConverterMediaSource* m) {
  int32_t size = 0, duration = 0, count = 0;
  int64_t sampleTime = 0;
  HUnlock(m->samples);
  OSErr err = m->fetch ? m->fetch(m->media, m->samples, m->maxSampleSize, m->currentTime, &size, &sampleTime,
                                  &duration, &count)
                       : OSErr(-50);
  HLock(m->samples);
  if (err || size <= 0) {
    if (err && size > 0) std::fprintf(stderr, "GetMediaSample - Failed in FillBufferDataProc\n");
    EndMediaData(m);
    return;
  }
  m->data.desc.buffer = reinterpret_cast<uint8_t*>(HandleData(m->samples));
  m->data.desc.sampleCount = size;
  m->data.bufferSize = size;
  m->lastCount = size;
  m->currentTime = sampleTime + int64_t(duration) * count;
  if (m->compressed) m->bytesPerPacket = duration == -1 ? -size : count > 0 ? size / count : size;
  // The last sample of the media: the converter drains its decoder after it.
  if (m->currentTime >= m->endTime) m->data.bufferFlags |= kExtendedSoundBufferEndOfStream;
}

int32_t ReadDecoded(void* buffer, int32_t frames, ConvertedSampleSource* s) {
  int64_t timeBefore = s->media ? s->media->currentTime : 0;
  uint32_t bytes = 0, produced = 0, flags = 0;
  s->lastError = SoundConverterFillBuffer(s->converter, FillConverterBufferFromMedia, s->media, buffer,
                                          uint32_t(frames) * s->bytesPerFrame, &bytes, &produced, &flags);
  if (s->media && s->media->currentTime != timeBefore && ProgressAskedToStop(int32_t(s->media->currentTime)))
    s->lastError = kProgressCancelledErr;
  return s->lastError ? 0 : int32_t(produced);
}

int32_t ReadDirect(void* buffer, int32_t frames, ConvertedSampleSource* s) {
  ByteCount actual = 0;
  OSErr err = FSReadFork(s->inputFile, fsAtMark, 0, ByteCount(frames) * s->bytesPerFrame, buffer, &actual);
  s->lastError = err == eofErr ? OSErr(noErr) : err;
  if (s->lastError || actual == 0) return 0;
  int32_t got = int32_t(actual / s->bytesPerFrame);
  if (s->format != kFloat32Format)
    ConvertIntegerToFloat(buffer, static_cast<float*>(buffer), got, s->channels, s->sampleSize, true);
  s->bytesRead += int64_t(actual);
  if (ProgressAskedToStop(int32_t(s->bytesRead > 0x7FFFFFFF ? 0x7FFFFFFF : s->bytesRead))) {
    s->lastError = kProgressCancelledErr;
    return 0;
  }
  return got;
}

}  // namespace

bool FillConverterBufferFromMedia(SoundComponentData** data, void* mediaSource) {
  auto* m = static_cast<ConverterMediaSource*>(mediaSource);
  m->data.desc.flags |= kExtendedSoundData;
  if (m->currentTime >= m->endTime) EndMediaData(m);
  if (m->moreData) FetchNextSample(m);
  *data = &m->data.desc;
  return m->moreData != 0;
}

int32_t TransferConvertedSamples(void* buffer, int16_t mode, int32_t frames, ConvertedSampleSource* source) {
  if (mode == kTransferWrite) {
    ByteCount actual = 0;
    source->lastError = FSWriteFork(source->outputFile, fsAtMark, 0, ByteCount(frames), buffer, &actual);
    return source->lastError ? 0 : int32_t(actual);
  }
  if (mode != kTransferRead) return 0;
  if (source->bytesPerFrame == 0) {
    source->lastError = kNoBytesPerFrameErr;
    return 0;
  }
  int32_t got = source->useConverter ? ReadDecoded(buffer, frames, source) : ReadDirect(buffer, frames, source);
  RunIdleTask(false);
  return got;
}
