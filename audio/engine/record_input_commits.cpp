#include "audio/engine/record_input_commits.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "audio/engine/engine_channels.h"
#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_prepare.h"
#include "audio/engine/engine_thread.h"
#include "audio/engine/record_inputs.h"

std::atomic<uint8_t> gRecordStartPending{0};
std::atomic<int64_t> gRecordStartPosition{0};
std::atomic<float> gRecordStartRate{0.0f};

namespace {

int16_t FloatTo16(float x) {
  float scaled = x * 32768.0f;  // truncated, held to the 16-bit range
  if (scaled >= 32767.0f) return 32767;
  if (scaled <= -32768.0f) return -32768;
  return int16_t(scaled);
}

int32_t Magnitude(int16_t v) { return v < 0 ? -int32_t(v) : v; }

// False when the commit is not to be taken (see CommitRecordBytes).
bool CommitApplies(AudioInput* in, int32_t frames) {
  if (!in->writePointer) return false;
  if (in->waitForRecord) {
    if (gEngineSeesRecording.load()) return false;
    in->waitForRecord = 0;
  }
  if (in->stopWord || in->windowEnd == 0) return false;
  if (in->windowStart >= in->position + frames || in->windowEnd <= in->position) return false;
  return in->activeMark != 0;
}

// The full buffer goes to the disk; the input moves on to the next buffer.
void PostFullBuffer(AudioInput* in, EngineWorker* worker) {
  int32_t index = in->currentBuffer;
  ForkIORequest& request = in->writeRequests[index];
  if (request.result.load() > 0) {  // its previous write is still pending: the disk has not kept up
    LatchAudioEngineError(int16_t(kRecordErrBufferFull));
    in->writePointer = in->buffers[index] + in->bufferBytes;  // nothing more goes into it
    return;
  }
  request.positionMode = 1;  // from the start of the fork
  request.positionHigh = uint32_t(uint64_t(in->filePosition) >> 32);
  request.positionLow = uint32_t(uint64_t(in->filePosition));
  in->filePosition += in->bufferBytes;
  request.buffer = in->buffers[index];
  request.count = uint32_t(in->bufferBytes);
  request.result.store(1);  // pending until the disk thread has written it
  int32_t posted = worker ? PostEngineMessage(&request, kEngineMsgForwardRecord, worker)
                          : PostEngineMessage(&request, kEngineMsgWriteRecord, &gDiskQueue);
  if (posted != 0) request.result.store(-int32_t(posted));
  in->currentBuffer = (index + 1) % (in->bufferCount > 0 ? in->bufferCount : 1);
  in->writePointer = in->buffers[in->currentBuffer];
}

}  // namespace

void AssignRecordInputChannels(AudioInput* input, int32_t pair, int32_t channels, int32_t left, int32_t right) {
  if (!input) return;
  input->channels = uint16_t(channels == 1 ? 1 : 2);
  if (pair >= 0) {
    left = 2 * pair;
    right = 2 * pair + 1;
  }
  input->leftChannel = input->channels == 1 ? right : left;
  input->rightChannel = right;
}

void WriteRecordInputFloat(AudioInput* input, const float* left, const float* right, int32_t stride, int32_t frames,
                           EngineWorker* worker) {
  if (!input || !left || frames <= 0 || input->bufferCount <= 0) return;
  bool stereo = input->channels > 1 && right;
  int32_t frameBytes = stereo ? 4 : 2;
  if (stride < 1) stride = 1;
  int32_t done = 0;
  while (done < frames && input->writePointer) {
    uint8_t* end = input->buffers[input->currentBuffer] + input->bufferBytes;
    int32_t room = int32_t((end - input->writePointer) / frameBytes);
    if (room <= 0) return;  // a buffer still waiting for its write: nothing is overwritten
    int32_t chunk = frames - done < room ? frames - done : room;
    auto* out = reinterpret_cast<int16_t*>(input->writePointer);
    int32_t peakLeft = 0, peakRight = 0;
    for (int32_t i = 0; i < chunk; ++i) {
      int16_t l = FloatTo16(left[size_t(done + i) * size_t(stride)]);
      int32_t m = Magnitude(l);
      if (m > peakLeft) peakLeft = m;
      if (stereo) {
        int16_t r = FloatTo16(right[size_t(done + i) * size_t(stride)]);
        if (Magnitude(r) > peakRight) peakRight = Magnitude(r);
        out[2 * i] = l;
        out[2 * i + 1] = r;
      } else {
        out[i] = l;
      }
    }
    uint8_t* before = input->writePointer;
    CommitRecordBytes(input, chunk * frameBytes, chunk, peakLeft, stereo ? peakRight : peakLeft, worker);
    if (input->writePointer == before) return;  // not taken
    done += chunk;
  }
}

void CommitRecordBytes(AudioInput* input, int32_t bytes, int32_t frames, int32_t peakLeft, int32_t peakRight,
                       EngineWorker* worker) {
  if (!input) return;
  if (!input->peaksTracked) {
    input->maxPeakLeft = peakLeft;
    input->maxPeakRight = peakRight;
    input->peaksTracked = 1;
  } else {
    if (peakLeft > input->maxPeakLeft) input->maxPeakLeft = peakLeft;
    if (peakRight > input->maxPeakRight) input->maxPeakRight = peakRight;
  }
  if (!CommitApplies(input, frames) || input->bufferCount <= 0) return;
  int32_t failed = input->writeRequests[input->currentBuffer].result.load();
  if (failed < 0) {  // the last write of this buffer failed
    LatchAudioEngineError(int16_t(failed));
    return;
  }
  if (gRecordStartPending.exchange(0)) {
    gRecordStartPosition.store(input->position);
    gRecordStartRate.store(gAudioSampleRate);
  }
  uint8_t* end = input->buffers[input->currentBuffer] + input->bufferBytes;
  if (bytes > end - input->writePointer) bytes = int32_t(end - input->writePointer);
  input->writePointer += bytes;
  input->position += frames;
  if (input->writePointer >= end) PostFullBuffer(input, worker);
  if (input->position >= input->windowEnd && input->next && !input->next->activeMark) {
    input->activeMark = 0;
    input->next->activeMark = 1;
  }
}

void MixIntoBusPair(const float* source, float* target, uint8_t* clipFlag, float* peaks, int32_t frames, bool replace) {
  float peak[2] = {0.0f, 0.0f};
  bool clip = false;
  for (int32_t i = 0; source && target && i < 2 * frames; ++i) {
    float v = replace ? source[i] : target[i] + source[i];
    target[i] = v;
    float m = std::fabs(v);
    if (m > peak[i & 1]) peak[i & 1] = m;
    if (!replace && (v >= 1.0f || v < -1.0f)) clip = true;
  }
  if (replace && (peak[0] >= 1.0f || peak[1] >= 1.0f)) clip = true;
  if (clip && clipFlag) *clipFlag = 1;
  if (peaks) {
    peaks[0] = peak[0];
    peaks[1] = peak[1];
  }
}
