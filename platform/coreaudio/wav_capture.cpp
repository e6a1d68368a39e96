#include "platform/coreaudio/wav_capture.h"

#include <semaphore.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

#include "platform/coreaudio/audio_internal.h"
#include "platform/memory/byte_order.h"

namespace {

constexpr OSStatus kFolderMissingErr = -120;
constexpr OSStatus kWriteErr = -36;
constexpr size_t kHeaderBytes = 58;  // RIFF, fmt (18), fact, data headers
// The largest data chunk a RIFF size field can describe with the header.
constexpr UInt64 kMaxDataBytes = 0xFFFFFFFFull - kHeaderBytes;
constexpr UInt32 kRingSeconds = 4;

void FillHeader(uint8_t* h, UInt32 channels, UInt32 rate, UInt64 frames) {
  UInt32 dataBytes = UInt32(frames * channels * 4);
  std::copy_n("RIFF", 4, h);
  WriteU32LE(h + 4, UInt32(kHeaderBytes - 8 + dataBytes));
  std::copy_n("WAVEfmt ", 8, h + 8);
  WriteU32LE(h + 16, 18);
  WriteU16LE(h + 20, 3);  // IEEE float
  WriteU16LE(h + 22, UInt16(channels));
  WriteU32LE(h + 24, rate);
  WriteU32LE(h + 28, rate * channels * 4);
  WriteU16LE(h + 32, UInt16(channels * 4));
  WriteU16LE(h + 34, 32);
  WriteU16LE(h + 36, 0);
  std::copy_n("fact", 4, h + 38);
  WriteU32LE(h + 42, 4);
  WriteU32LE(h + 46, UInt32(frames));
  std::copy_n("data", 4, h + 50);
  WriteU32LE(h + 54, dataBytes);
}

}  // namespace

struct CaptureSession {
  std::string path;
  std::string partPath;
  std::FILE* file = nullptr;
  UInt32 channels = 2;
  UInt32 rate = 44100;
  std::vector<float> ring;  // power-of-two length
  size_t mask = 0;
  std::atomic<size_t> head{0};  // written by the device thread
  std::atomic<size_t> tail{0};  // written by the writer
  std::atomic<UInt64> framesWritten{0};
  std::atomic<UInt64> framesDropped{0};
  std::atomic<OSStatus> error{0};
  std::atomic<bool> endRequested{false};
  std::atomic<bool> writerDone{false};
  sem_t wake;
  std::thread writer;
};

namespace {

void WriteSamples(CaptureSession* s, const float* samples, size_t count) {
  UInt64 frames = count / s->channels;
  UInt64 bytesSoFar = s->framesWritten.load() * s->channels * 4;
  if (bytesSoFar + count * 4 > kMaxDataBytes) {
    s->framesDropped.fetch_add(frames);  // the file is full
    return;
  }
  if (std::fwrite(samples, sizeof(float), count, s->file) != count) {
    s->error.store(kWriteErr);
    s->framesDropped.fetch_add(frames);
    return;
  }
  s->framesWritten.fetch_add(frames);
}

void Drain(CaptureSession* s) {
  size_t head = s->head.load(std::memory_order_acquire);
  size_t tail = s->tail.load(std::memory_order_relaxed);
  while (tail != head) {
    size_t start = tail & s->mask;
    size_t run = std::min(head - tail, s->ring.size() - start);
    WriteSamples(s, s->ring.data() + start, run);
    tail += run;
    s->tail.store(tail, std::memory_order_release);
  }
}

void Finish(CaptureSession* s) {
  uint8_t header[kHeaderBytes];
  FillHeader(header, s->channels, s->rate, s->framesWritten.load());
  bool ok = std::fseek(s->file, 0, SEEK_SET) == 0 && std::fwrite(header, 1, kHeaderBytes, s->file) == kHeaderBytes;
  ok = std::fflush(s->file) == 0 && ok;
  ok = std::fclose(s->file) == 0 && ok;
  s->file = nullptr;
  if (!ok || std::rename(s->partPath.c_str(), s->path.c_str()) != 0) s->error.store(kWriteErr);
}

void RunWriter(CaptureSession* s) {
  for (;;) {
    timespec until{};
    clock_gettime(CLOCK_REALTIME, &until);
    until.tv_nsec += 20000000;
    if (until.tv_nsec >= 1000000000) {
      until.tv_sec += 1;
      until.tv_nsec -= 1000000000;
    }
    sem_timedwait(&s->wake, &until);
    bool ending = s->endRequested.load();
    Drain(s);
    if (ending) break;
  }
  Finish(s);
  s->writerDone.store(true, std::memory_order_release);
}

size_t RingLength(UInt32 channels, UInt32 rate) {
  size_t wanted = size_t(rate) * channels * kRingSeconds;
  size_t length = 1;
  while (length < wanted) length <<= 1;
  return length;
}

}  // namespace

CaptureSession* BeginCapture(const std::string& path, UInt32 channels, UInt32 sampleRate, OSStatus* error) {
  auto* s = new CaptureSession;
  s->path = path;
  s->partPath = path + ".part";
  s->channels = channels == 0 ? 1 : channels;
  s->rate = sampleRate;
  s->file = std::fopen(s->partPath.c_str(), "wb");
  uint8_t header[kHeaderBytes];
  FillHeader(header, s->channels, s->rate, 0);
  if (s->file == nullptr || std::fwrite(header, 1, kHeaderBytes, s->file) != kHeaderBytes) {
    *error = (s->file == nullptr && errno == ENOENT) ? kFolderMissingErr : kWriteErr;
    if (s->file != nullptr) {
      std::fclose(s->file);
      std::remove(s->partPath.c_str());
    }
    delete s;
    return nullptr;
  }
  s->ring.assign(RingLength(s->channels, s->rate), 0.0f);
  s->mask = s->ring.size() - 1;
  sem_init(&s->wake, 0, 0);
  s->writer = std::thread(RunWriter, s);
  *error = 0;
  return s;
}

void PushCaptureFrames(CaptureSession* s, const float* frames, UInt32 count) {
  size_t samples = size_t(count) * s->channels;
  size_t head = s->head.load(std::memory_order_relaxed);
  size_t tail = s->tail.load(std::memory_order_acquire);
  if (s->ring.size() - (head - tail) < samples) {
    s->framesDropped.fetch_add(count);
    return;
  }
  for (size_t i = 0; i < samples; ++i) s->ring[(head + i) & s->mask] = frames[i];
  s->head.store(head + samples, std::memory_order_release);
  sem_post(&s->wake);
}

CaptureTotals PeekCaptureTotals(const CaptureSession* s) {
  CaptureTotals totals;
  totals.framesWritten = s->framesWritten.load();
  totals.framesDropped = s->framesDropped.load();
  totals.error = s->error.load();
  return totals;
}

CaptureTotals FinishCapture(CaptureSession* s) {
  s->endRequested.store(true);
  sem_post(&s->wake);
  // A slow disk may hold the writer; it finishes on its own if we stop waiting.
  if (WaitForFlag(s->writerDone, 4 * kDeviceWaitNanos)) {
    s->writer.join();
  } else {
    std::fprintf(stderr, "Zarin: the audio capture writer is slow; %s is finished later\n", s->path.c_str());
    s->writer.detach();
    CaptureTotals totals = PeekCaptureTotals(s);
    return totals;  // the writer still owns the session
  }
  CaptureTotals totals = PeekCaptureTotals(s);
  sem_destroy(&s->wake);
  delete s;
  return totals;
}
