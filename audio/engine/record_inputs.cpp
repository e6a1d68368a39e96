#include "audio/engine/record_inputs.h"

#include <cmath>
#include <cstring>

#include "audio/engine/record_input_commits.h"
#include "audio/render/channel_render.h"

AudioInput* gRecordInputs = nullptr;

int32_t RecordSampleBytes(int32_t sampleBits) { return sampleBits > 24 ? 4 : sampleBits > 16 ? 3 : 2; }

namespace {

const float* FindInputChannel(const AudioBufferList* list, int32_t channel, uint32_t frames, uint32_t* stride) {
  if (!list || channel < 0) return nullptr;
  uint32_t c = uint32_t(channel);
  for (uint32_t b = 0; b < list->mNumberBuffers; ++b) {
    const AudioBuffer& buffer = list->mBuffers[b];
    if (c < buffer.mNumberChannels) {
      // The buffer must hold every frame at its own stride.
      if (!buffer.mData || buffer.mDataByteSize < uint64_t(frames) * buffer.mNumberChannels * sizeof(float))
        return nullptr;
      *stride = buffer.mNumberChannels;
      return static_cast<const float*>(buffer.mData) + c;
    }
    c -= buffer.mNumberChannels;
  }
  return nullptr;
}

void PutInt24BE(uint8_t* at, int32_t v) {
  at[0] = uint8_t(v >> 16);
  at[1] = uint8_t(v >> 8);
  at[2] = uint8_t(v);
}

int32_t Level16(float peak) { return SaturateToInt16(peak * 32768.0f, nullptr); }

// One sample into the record buffer, big-endian, as the record file's header declares it.
uint8_t* PutRecordSample(uint8_t* out, float v, int32_t bytesPerSample) {
  uint32_t word;
  if (bytesPerSample == 4) {
    std::memcpy(&word, &v, 4);
  } else if (bytesPerSample == 3) {
    PutInt24BE(out, SaturateToInt24(v * 8388608.0f, nullptr));
    return out + 3;
  } else {
    uint16_t s = uint16_t(SaturateToInt16(v * 32768.0f, nullptr));
    out[0] = uint8_t(s >> 8);
    out[1] = uint8_t(s);
    return out + 2;
  }
  out[0] = uint8_t(word >> 24);
  out[1] = uint8_t(word >> 16);
  out[2] = uint8_t(word >> 8);
  out[3] = uint8_t(word);
  return out + 4;
}

// Room is checked for the whole cycle before a byte is written: a full buffer whose write is
// still pending loses the cycle (-224), never the bytes behind it. With record buffers the
// bytes are committed (CommitRecordBytes: a full buffer goes to the disk thread).
int32_t CopyIntoRecordBuffer(AudioInput* input, const float* left, uint32_t leftStride, const float* right,
                             uint32_t rightStride, uint32_t frames, int32_t result) {
  bool stereo = right != nullptr;
  int32_t bytesPerSample = RecordSampleBytes(input->sampleBits);
  size_t bytes = size_t(frames) * size_t(bytesPerSample) * (stereo ? 2 : 1);
  bool buffered = input->bufferCount > 0 && input->bufferBytes > 0;
  uint8_t* end = buffered ? input->buffers[input->currentBuffer] + input->bufferBytes : input->writeEnd;
  if (!end || input->writePointer > end || size_t(end - input->writePointer) < bytes) return kRecordErrBufferFull;
  if (buffered) {
    uint64_t taken = uint64_t(input->filePosition - int64_t(input->dataOffset)) +
                     uint64_t(input->writePointer - input->buffers[input->currentBuffer]);
    if (taken + bytes > kMaxRecordedBytes) {
      input->stopWord = 1;  // the take is as long as its file can say
      return result;
    }
  }
  uint8_t* out = input->writePointer;
  float peakL = 0.0f, peakR = 0.0f;
  for (uint32_t f = 0; f < frames; ++f) {
    float l = left[size_t(f) * leftStride];
    peakL = std::fmax(peakL, std::fabs(l));
    out = PutRecordSample(out, l, bytesPerSample);
    if (!stereo) continue;
    float r = right[size_t(f) * rightStride];
    peakR = std::fmax(peakR, std::fabs(r));
    out = PutRecordSample(out, r, bytesPerSample);
  }
  input->peakLeft = Level16(peakL);
  input->peakRight = Level16(stereo ? peakR : peakL);
  if (!buffered) {
    input->writePointer = out;
    return result;
  }
  CommitRecordBytes(input, int32_t(bytes), int32_t(frames), input->peakLeft, input->peakRight, nullptr);
  return result;
}

void MeasureInputLevels(AudioInput* input, const float* left, uint32_t leftStride, const float* right,
                        uint32_t rightStride, uint32_t frames) {
  float peakL = 0.0f, peakR = 0.0f;
  for (uint32_t f = 0; f < frames; ++f) {
    peakL = std::fmax(peakL, std::fabs(left[size_t(f) * leftStride]));
    if (right) peakR = std::fmax(peakR, std::fabs(right[size_t(f) * rightStride]));
  }
  input->levelLeft = Level16(peakL);
  input->levelRight = Level16(peakR);
  input->levelPending = 1;
}

}  // namespace

int32_t CaptureRecordInput(const AudioBufferList* inputData, const AudioTimeStamp* inputTime, AudioInput* input,
                           uint32_t frames) {
  input->skipFrames = input->skipFrames > frames ? input->skipFrames - frames : 0;
  uint32_t leftStride = 0, rightStride = 0;
  const float* left = FindInputChannel(inputData, input->leftChannel, frames, &leftStride);
  bool stereo = input->channels > 1;
  const float* right = stereo ? FindInputChannel(inputData, input->rightChannel, frames, &rightStride) : nullptr;
  if (!left || (stereo && !right)) return kRecordErrChannelMissing;
  int32_t result = 0;
  if (input->writePointer) {
    double sampleTime = inputTime ? inputTime->mSampleTime : 0.0;
    if (input->lastSampleTime > 0.0 && input->lastSampleTime - sampleTime > double(frames))
      result = kRecordErrTimeWentBack;
    input->lastSampleTime = sampleTime;
    result = CopyIntoRecordBuffer(input, left, leftStride, right, rightStride, frames, result);
  } else if (input->armed) {
    MeasureInputLevels(input, left, leftStride, right, rightStride, frames);
  }
  if (input->skipFrames == 0) input->framePosition += frames;
  return result;
}

void ReadInputLevels(AudioInput* input, uint16_t* left, uint16_t* right) {
  *left = uint16_t(input->levelLeft & 0xFFFF);
  *right = uint16_t(input->levelRight & 0xFFFF);
  input->levelPending = 0;
}
