// The engine's worker threads: the engine thread (mixes one cycle per buffer handed over by
// the output path) and the disk thread (stream reads, recorded writes, stream readers). Both
// run the same loop over a worker record, sleeping on a semaphore with a bounded time-out and
// taking {object, code} messages from their ring. The loop, the posting and the thread entries
// are in engine_thread.cpp; what the main thread does to the workers (starting, stopping,
// waiting for and holding them) is in engine_worker_control.cpp.
#pragma once

#include <atomic>
#include <cstdint>

#include "audio/engine/engine_messages.h"
#include "platform/threads/host_threads.h"
#include "platform/threads/mach_kernel.h"

struct EngineChannel;

// Message codes.
enum : int32_t {
  kEngineMsgNone = 0,
  kEngineMsgReadHalf0 = 1,
  kEngineMsgReadHalf1 = 2,
  kEngineMsgWriteRecord = 3,
  kEngineMsgReaderHalf0 = 4,
  kEngineMsgReaderHalf1 = 5,
  kEngineMsgMixCycle = 6,
  kEngineMsgRenderPlugin = 7,
  kEngineMsgForwardRecord = 8,
  kEngineMsgQuit = 9,
};

constexpr uint32_t kWorkerFlagQuietFullRing = 0x01;
constexpr uint32_t kEngineRingCapacity = 16;
constexpr uint32_t kDiskRingCapacity = 512;

struct EngineWorker {
  EngineWorker* next = nullptr;
  HostThread thread;
  std::atomic<bool> hasThread{false};
  std::atomic<bool> running{false};           // the loop runs (cleared when it ends)
  std::atomic<semaphore_t> semaphore{0};
  std::atomic<int32_t> status{0};
  uint32_t waitSeconds = 0;                    // 0: 8 seconds
  uint32_t periodNanoseconds = 0;
  std::atomic<uint32_t> flags{0};
  EngineMessageRing* ring = nullptr;
  int32_t mixChannelFilter = 0;
  std::atomic<uint32_t> overflows{0};          // messages refused after the bounded retry
  std::atomic<uint32_t> cyclesMixed{0};        // mix messages done
  std::atomic<uint32_t> messagesTaken{0};
};

extern EngineWorker gEngineQueue;
extern EngineWorker gDiskQueue;
extern EngineWorker* gEngineWorkers;
// The channel list whose mix messages advance the engine sample clock.
extern std::atomic<void*> gEngineRecordObject;

// A handler for the codes the stream and recording code serves (1, 2, 3, 7); the result
// becomes the pass's error. Without a handler the message is taken as done. The program
// installs the file and plug-in handlers (InstallEngineRequestHandlers, engine_file_requests.h).
using EngineRequestHandler = int32_t (*)(void* object, int32_t code, EngineWorker* worker);
void SetEngineRequestHandler(int32_t code, EngineRequestHandler handler);

// Codes 4 and 5: runs the channel's decode procedure for the half, clears the half's
// decode-pending byte and counts the half served (the worker's loop, or inline).
int32_t RunStreamDecode(EngineChannel* channel, int32_t half);

// The list of running workers (linked when started, unlinked when their loop ends). Copying
// takes at most capacity of them; any thread.
void LinkEngineWorker(EngineWorker* worker);
int32_t CopyEngineWorkers(EngineWorker** workers, int32_t capacity);
// Wakes the worker's loop; never blocks.
void SignalEngineWorker(EngineWorker* worker);

// Starts the worker's thread on entry, making its ring first (main thread).
using EngineWorkerEntry = void* (*)(void* worker);
int32_t StartRealtimeThread(uint32_t capacity, EngineWorker* worker, EngineWorkerEntry entry,
                            uint32_t waitSeconds);
// The worker's loop, on its own thread.
int32_t RunEngineWorker(EngineWorker* worker);
// 0 when appended; 100 when the ring stayed full through the bounded retry (counted in
// overflows, latched as engine error 100 unless the worker's quiet flag is set), or when the
// worker has no ring. On a device thread (see EngineDeviceThreadScope) a full ring refuses the
// message at once.
int32_t PostEngineMessage(void* object, int32_t code, EngineWorker* worker);
// Marks the calling thread as a device thread for as long as it lives (the IO procedures open
// one): a device thread must never sleep, so its posts never wait for a full ring.
class EngineDeviceThreadScope {
 public:
  EngineDeviceThreadScope();
  ~EngineDeviceThreadScope();
  EngineDeviceThreadScope(const EngineDeviceThreadScope&) = delete;
  EngineDeviceThreadScope& operator=(const EngineDeviceThreadScope&) = delete;

 private:
  bool previous_;
};
// While one lives on a thread, that thread's posts wake their workers once, when it ends,
// instead of once a message (a mix cycle's refill requests cost one wake-up a cycle). Nested
// ones leave it to the outermost. No allocation, no lock.
class DeferredWorkerSignals {
 public:
  DeferredWorkerSignals();
  ~DeferredWorkerSignals();
  DeferredWorkerSignals(const DeferredWorkerSignals&) = delete;
  DeferredWorkerSignals& operator=(const DeferredWorkerSignals&) = delete;
  // Notes a worker owed a signal; false when no room is left (signal it now).
  bool Owe(EngineWorker* worker);

 private:
  static constexpr int32_t kMaxOwed = 4;
  DeferredWorkerSignals* outer_;
  EngineWorker* owed_[kMaxOwed] = {};
  int32_t count_ = 0;
};
int32_t CountEngineMessages(const EngineWorker* worker);
void DisposeEngineWorker(EngineWorker* worker);
// Main thread: posts the quit message and waits (at most timeoutMillis) for the thread to end;
// true when it ended. The worker is then ready to start again.
bool StopRealtimeThread(EngineWorker* worker, uint32_t timeoutMillis);
// Main thread: waits (at most timeoutMillis) until the worker's ring is empty; true when it
// is. A worker whose loop has ended is not waited for (false when its ring still holds
// messages).
bool WaitForEngineWorkerIdle(const EngineWorker* worker, uint32_t timeoutMillis);

// Holds the workers (gEngineFlags bit 1: the output path posts no mix messages and the mix
// cycle marks its channels stopped) and waits, at most timeoutMillis, until every running
// worker's ring is empty; false when one was not. Releasing clears the bit.
// Both passes wait at most timeoutMillis for each worker; a worker whose loop has ended is not
// waited for.
bool HoldEngineWorkers(bool hold, uint32_t timeoutMillis);
constexpr uint32_t kHoldWorkersMillis = 2000;

int16_t SetThreadPolicy(int32_t mode, int32_t timeshare, int32_t importance, double periodSeconds);
void DrainSemaphore(semaphore_t semaphore);

// The engine thread's entry and its start (the main thread's): a ring of 16, policy by the
// audio mode. When it cannot start within the bounded wait, the audio mode becomes 1 (inline
// mixing). The disk thread is the stream reads' (audio/streams/disk_thread.h).
void* EngineThreadEntry(void* worker);
int32_t StartEngineThread();
// Bounded wait for a started worker to make its semaphore (5 us polls, at most 2 s), or to end.
void WaitForWorkerSemaphore(const EngineWorker* worker);
