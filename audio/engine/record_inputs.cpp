#include "audio/engine/record_inputs.h"

#include <cmath>
#include <cstring>

#include "audio/render/channel_render.h"

AudioInput* gRecordInputs = nullptr;

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
    uint32_t bytesPerSample = input->sampleBits > 24 ? 4 : input->sampleBits > 16 ? 3 : 2;
    size_t bytes = size_t(frames) * bytesPerSample * (stereo ? 2 : 1);
    if (!input->writeEnd || size_t(input->writeEnd - input->writePointer) < bytes) return kRecordErrBufferFull;
    uint8_t* out = input->writePointer;
    float peakL = 0.0f, peakR = 0.0f;
    for (uint32_t f = 0; f < frames; ++f) {
      for (int side = 0; side < (stereo ? 2 : 1); ++side) {
        float v = side == 0 ? left[size_t(f) * leftStride] : right[size_t(f) * rightStride];
        float& peak = side == 0 ? peakL : peakR;
        peak = std::fmax(peak, std::fabs(v));
        if (bytesPerSample == 4) {
          std::memcpy(out, &v, 4);
        } else if (bytesPerSample == 3) {
          PutInt24BE(out, SaturateToInt24(v * 8388608.0f, nullptr));
        } else {
          int16_t s = SaturateToInt16(v * 32768.0f, nullptr);
          std::memcpy(out, &s, 2);
        }
        out += bytesPerSample;
      }
    }
    input->writePointer = out;
    input->peakLeft = Level16(peakL);
    input->peakRight = Level16(peakR);
  } else if (input->armed) {
    float peakL = 0.0f, peakR = 0.0f;
    for (uint32_t f = 0; f < frames; ++f) {
      peakL = std::fmax(peakL, std::fabs(left[size_t(f) * leftStride]));
      if (right) peakR = std::fmax(peakR, std::fabs(right[size_t(f) * rightStride]));
    }
    input->levelLeft = Level16(peakL);
    input->levelRight = Level16(peakR);
    input->levelPending = 1;
  }
  if (input->skipFrames == 0) input->framePosition += frames;
  return result;
}

void ReadInputLevels(AudioInput* input, uint16_t* left, uint16_t* right) {
  *left = uint16_t(input->levelLeft & 0xFFFF);
  *right = uint16_t(input->levelRight & 0xFFFF);
  input->levelPending = 0;
}
