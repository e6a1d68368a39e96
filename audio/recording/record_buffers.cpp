#include "audio/recording/record_buffers.h"

#include <algorithm>

#include "audio/engine/engine_file_requests.h"
#include "audio/engine/engine_state.h"
#include "audio/engine/engine_play_state.h"
#include "audio/engine/engine_thread.h"
#include "audio/recording/record_input_list.h"
#include "platform/files/forks.h"
#include "platform/memory/memory.h"
#include "platform/threads/thread_pauses.h"

namespace {

constexpr uint16_t kAtMarkNotCached = 0x20;
constexpr int64_t kNoPunchOut = INT64_MAX;

void FreeBuffer(AudioInput* input, int32_t i) {
  if (!input->buffers[i]) return;
  DisposePtr(reinterpret_cast<Ptr>(input->buffers[i]));
  input->buffers[i] = nullptr;
}

}  // namespace

int16_t PrepareRecordBuffers(AudioInput* input, int32_t count, int16_t fork) {
  count = std::clamp(count, 1, int32_t(kRecordBufferCount));
  if (input->deviceBufferBytes == 0) SetDefaultInputFormat(input, input->deviceId);
  if (input->deviceBufferBytes == 0) return input->deviceId == kInputDeviceNone ? 0 : kRecordBadParam;
  uint32_t size = RecordBufferSizeFor(input->deviceBufferBytes);
  if (size == 0) size = input->deviceBufferBytes;  // the setting holds less than one device buffer
  if (int32_t(size) != input->bufferBytes) ReleaseRecordBuffers(input, true);
  input->bufferBytes = int32_t(size);
  int16_t err = 0;
  for (int32_t i = 0; i < count && err == 0; ++i) {
    if (!input->buffers[i]) input->buffers[i] = reinterpret_cast<uint8_t*>(NewPtrClear(Size(size)));
    if (!input->buffers[i]) err = memFullErr;
  }
  for (int32_t i = 0; i < kRecordBufferCount; ++i) {
    input->writeRequests[i].forkRefNum = fork;
    input->writeRequests[i].positionMode = kAtMarkNotCached;
    input->writeRequests[i].result.store(0);
  }
  input->bufferCount = err == 0 ? count : 0;
  input->currentBuffer = 0;
  input->hasArmedTracks = 1;
  return err;
}

void ReleaseRecordBuffers(AudioInput* input, bool releaseAll) {
  input->punchPositions[0] = 0;
  bool keepFirst = !releaseAll || (input == &gStaticRecordInput && gAudioEnginePlayState != 0);
  input->writePointer = nullptr;
  for (int32_t i = keepFirst ? 1 : 0; i < kRecordBufferCount; ++i) FreeBuffer(input, i);
  input->bufferCount = keepFirst && input->buffers[0] ? 1 : 0;
  input->currentBuffer = 0;
  if (!keepFirst) input->bufferBytes = 0;
}

OSErr FlushRecordBuffer(AudioInput* input) {
  if (input->bufferCount <= 0 || !input->writePointer) return noErr;
  ForkIORequest& request = input->writeRequests[input->currentBuffer];
  if (request.result.load() > 0) return noErr;
  uint8_t* start = input->buffers[input->currentBuffer];
  uint32_t bytes = uint32_t(input->writePointer - start);
  if (bytes == 0) return noErr;
  ByteCount actual = 0;
  SetRequestPosition(&request, input->filePosition);
  request.count = bytes;
  OSErr err = FSWriteFork(request.forkRefNum, fsFromStart, input->filePosition, bytes, start, &actual);
  input->filePosition += int64_t(actual);
  request.actualCount = uint32_t(actual);
  request.result.store(err);
  input->writePointer = start;
  return err;
}

int64_t RecordedDataEnd(const AudioInput* input) {
  int64_t end = input->filePosition;
  for (const ForkIORequest& request : input->writeRequests) {
    if (request.result.load() >= 0) continue;
    end = std::min(end, RequestPosition(&request) + int64_t(std::min(request.actualCount, request.count)));
  }
  return std::max<int64_t>(end, input->dataOffset);
}

bool WaitForRecordWrites(AudioInput* input, uint32_t timeoutMicros, int32_t* failed) {
  constexpr uint32_t kStep = 200;
  for (uint32_t waited = 0;; waited += kStep) {
    bool busy = CountEngineMessages(&gDiskQueue) > 0;
    for (int32_t i = 0; i < kRecordBufferCount && !busy; ++i) busy = input->writeRequests[i].result.load() > 0;
    if (!busy) break;
    if (waited >= timeoutMicros) return false;
    PauseThreadMicros(kStep);
  }
  for (int32_t i = 0; i < kRecordBufferCount && failed; ++i) {
    int32_t r = input->writeRequests[i].result.load();
    if (r < 0 && *failed == 0) *failed = r;
  }
  return true;
}

void OpenRecordWindow(AudioInput* input) {
  input->filePosition = input->dataOffset;
  input->position = 0;
  input->windowStart = 0;
  input->windowEnd = kNoPunchOut;
  input->stopWord = 0;
  input->waitForRecord = 0;
  input->activeMark = 1;
  input->peaksTracked = 0;
  input->bytesWritten = 0;
  input->lastSampleTime = 0.0;
  input->currentBuffer = 0;
  input->writePointer = input->bufferCount > 0 ? input->buffers[0] : nullptr;
}
