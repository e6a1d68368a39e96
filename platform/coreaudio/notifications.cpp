// Notifications: device threads post notices into a bounded lock-free queue; the layer's
// notification thread delivers them to property listeners and carries out the work that must
// not run on a device thread (stopping idle hardware, closing a dead JACK client).
#include <semaphore.h>

#include <cerrno>
#include <ctime>
#include <thread>

#include "platform/coreaudio/audio_hardware.h"
#include "platform/coreaudio/audio_internal.h"
#include "platform/system/host_time.h"

namespace {

struct AudioNotice {
  AudioNoticeKind kind = kNoticeProperty;
  AudioDeviceID device = 0;
  AudioDevicePropertyID property = 0;
  Boolean isInput = false;
  UInt32 channel = 0;
};

// A bounded multi-producer queue: each cell's sequence number says whether it is free for the
// producer at that position or full for the consumer.
constexpr size_t kQueueCells = 1024;
struct QueueCell {
  std::atomic<size_t> sequence{0};
  AudioNotice notice;
};
QueueCell gCells[kQueueCells];
std::atomic<size_t> gEnqueuePos{0};
size_t gDequeuePos = 0;  // the notification thread's alone
std::atomic<UInt64> gPosted{0};
std::atomic<UInt64> gDelivered{0};

sem_t gWake;
std::thread gThread;
std::atomic<bool> gStopRequested{false};
std::atomic<bool> gThreadExited{true};
std::atomic<std::thread::id> gThreadId{};      // while it serves
std::atomic<std::thread::id> gLiveThreadId{};  // while it runs

struct Listener {
  UInt64 serial;
  AudioDeviceID device;
  UInt32 channel;
  Boolean isInput;
  AudioDevicePropertyID property;
  AudioDevicePropertyListenerProc proc;
  void* clientData;
};
std::mutex gListenerMutex;
std::vector<Listener> gListeners;
UInt64 gNextSerial = 1;
// Held by the notification thread while it calls listeners, so that a removal can wait for
// a call under way.
std::mutex gDeliveryMutex;

void InitQueue() {
  for (size_t i = 0; i < kQueueCells; ++i) gCells[i].sequence.store(i, std::memory_order_relaxed);
  gEnqueuePos.store(0);
  gDequeuePos = 0;
}

bool Enqueue(const AudioNotice& notice) {
  size_t pos = gEnqueuePos.load(std::memory_order_relaxed);
  for (;;) {
    QueueCell& cell = gCells[pos % kQueueCells];
    size_t sequence = cell.sequence.load(std::memory_order_acquire);
    intptr_t diff = intptr_t(sequence) - intptr_t(pos);
    if (diff == 0) {
      if (gEnqueuePos.compare_exchange_weak(pos, pos + 1, std::memory_order_relaxed)) {
        cell.notice = notice;
        cell.sequence.store(pos + 1, std::memory_order_release);
        return true;
      }
    } else if (diff < 0) {
      return false;  // full
    } else {
      pos = gEnqueuePos.load(std::memory_order_relaxed);
    }
  }
}

bool Dequeue(AudioNotice* notice) {
  QueueCell& cell = gCells[gDequeuePos % kQueueCells];
  size_t sequence = cell.sequence.load(std::memory_order_acquire);
  if (intptr_t(sequence) - intptr_t(gDequeuePos + 1) < 0) return false;
  *notice = cell.notice;
  cell.sequence.store(gDequeuePos + kQueueCells, std::memory_order_release);
  ++gDequeuePos;
  return true;
}

bool Matches(const Listener& listener, const AudioNotice& notice) {
  return listener.device == notice.device && listener.isInput == notice.isInput &&
         (listener.property == kAudioPropertyWildcardPropertyID || listener.property == notice.property) &&
         (listener.channel == kAudioPropertyWildcardChannel || listener.channel == notice.channel);
}

bool StillListening(UInt64 serial) {
  std::lock_guard<std::mutex> hold(gListenerMutex);
  for (const Listener& listener : gListeners) {
    if (listener.serial == serial) return true;
  }
  return false;
}

void DeliverToListeners(const AudioNotice& notice) {
  std::lock_guard<std::mutex> delivering(gDeliveryMutex);
  std::vector<Listener> matching;
  {
    std::lock_guard<std::mutex> hold(gListenerMutex);
    for (const Listener& listener : gListeners) {
      if (Matches(listener, notice)) matching.push_back(listener);
    }
  }
  for (const Listener& listener : matching) {
    // A listener removed by an earlier one in this round is not called.
    if (!StillListening(listener.serial)) continue;
    listener.proc(notice.device, notice.channel, notice.isInput, notice.property, listener.clientData);
  }
}

void Handle(const AudioNotice& notice) {
  AudioDeviceRecord* device = FindAudioDevice(notice.device);
  switch (notice.kind) {
    case kNoticeProperty:
      DeliverToListeners(notice);
      break;
    case kNoticeDeviceIdle:
      if (device != nullptr) HandleDeviceIdleNotice(device);
      break;
    case kNoticeBackendDied:
      if (device != nullptr && device->kind == kBackendJack) HandleJackDeviceDied(device);
      break;
  }
}

void RunNotificationThread() {
  gLiveThreadId.store(std::this_thread::get_id());
  gThreadId.store(std::this_thread::get_id());
  for (;;) {
    timespec until{};
    clock_gettime(CLOCK_REALTIME, &until);
    until.tv_nsec += 100000000;
    if (until.tv_nsec >= 1000000000) {
      until.tv_sec += 1;
      until.tv_nsec -= 1000000000;
    }
    sem_timedwait(&gWake, &until);
    AudioNotice notice;
    while (Dequeue(&notice)) {
      Handle(notice);
      gDelivered.fetch_add(1);
    }
    if (gStopRequested.load()) break;
  }
  gThreadExited.store(true, std::memory_order_release);
}

}  // namespace

void PostAudioNotice(AudioNoticeKind kind, AudioDeviceID device, AudioDevicePropertyID property, Boolean isInput,
                     UInt32 channel) {
  AudioNotice notice;
  notice.kind = kind;
  notice.device = device;
  notice.property = property;
  notice.isInput = isInput;
  notice.channel = channel;
  if (!Enqueue(notice)) return;  // full: the notice is dropped
  gPosted.fetch_add(1);
  sem_post(&gWake);
}

void PostDevicePropertyNotice(AudioDeviceID device, AudioDevicePropertyID property) {
  PostAudioNotice(kNoticeProperty, device, property, false, 0);
  PostAudioNotice(kNoticeProperty, device, property, true, 0);
}

void StartNotificationThread() {
  if (gThread.joinable()) return;
  if (!gThreadExited.load()) {  // a thread let go at the last stop still runs: it serves again
    gStopRequested.store(false);
    gThreadId.store(gLiveThreadId.load());
    return;
  }
  static bool semaphoreMade = false;
  if (!semaphoreMade) {
    sem_init(&gWake, 0, 0);
    InitQueue();
    semaphoreMade = true;
  }
  gStopRequested.store(false);
  gThreadExited.store(false);
  gThread = std::thread(RunNotificationThread);
  gThreadId.store(gThread.get_id());
}

void StopNotificationThread() {
  if (!gThread.joinable()) return;
  gStopRequested.store(true);
  sem_post(&gWake);
  // A listener that never returns keeps the thread; it is let go rather than waited for.
  if (!OnNotificationThread() && WaitForFlag(gThreadExited, kDeviceWaitNanos)) {
    gThread.join();
  } else {
    gThread.detach();
  }
  gThreadId.store(std::thread::id{});
}

bool OnNotificationThread() { return std::this_thread::get_id() == gThreadId.load(); }

Boolean AudioHardwareFlushNotifications(UInt32 timeoutMillis) {
  EnsureAudioHardware();
  if (OnNotificationThread()) return true;
  if (OnAnyDeviceThread()) return false;
  UInt64 target = gPosted.load();
  UInt64 deadline = HostTimeNanos() + UInt64(timeoutMillis) * 1000000;
  while (gDelivered.load() < target) {
    if (HostTimeNanos() >= deadline) return false;
    timespec pause{0, 100000};
    nanosleep(&pause, nullptr);
  }
  return true;
}

OSStatus AudioDeviceAddPropertyListener(AudioDeviceID device, UInt32 channel, Boolean isInput,
                                        AudioDevicePropertyID property, AudioDevicePropertyListenerProc proc,
                                        void* clientData) {
  EnsureAudioHardware();
  if (FindAudioDevice(device) == nullptr) return kAudioHardwareBadDeviceError;
  if (proc == nullptr || OnAnyDeviceThread()) return kAudioHardwareIllegalOperationError;
  std::lock_guard<std::mutex> hold(gListenerMutex);
  for (Listener& listener : gListeners) {
    if (listener.device == device && listener.channel == channel && listener.isInput == isInput &&
        listener.property == property && listener.proc == proc) {
      listener.clientData = clientData;
      return kAudioHardwareNoError;
    }
  }
  gListeners.push_back(Listener{gNextSerial++, device, channel, isInput, property, proc, clientData});
  return kAudioHardwareNoError;
}

OSStatus AudioDeviceRemovePropertyListener(AudioDeviceID device, UInt32 channel, Boolean isInput,
                                           AudioDevicePropertyID property, AudioDevicePropertyListenerProc proc) {
  EnsureAudioHardware();
  if (FindAudioDevice(device) == nullptr) return kAudioHardwareBadDeviceError;
  if (OnAnyDeviceThread()) return kAudioHardwareIllegalOperationError;
  bool found = false;
  {
    std::lock_guard<std::mutex> hold(gListenerMutex);
    for (auto it = gListeners.begin(); it != gListeners.end(); ++it) {
      if (it->device == device && it->channel == channel && it->isInput == isInput && it->property == property &&
          it->proc == proc) {
        gListeners.erase(it);
        found = true;
        break;
      }
    }
  }
  if (!found) return kAudioHardwareIllegalOperationError;
  // Wait (bounded) for a call that may be under way; a listener removing itself does not.
  if (OnNotificationThread()) return kAudioHardwareNoError;
  UInt64 deadline = HostTimeNanos() + kDeviceWaitNanos;
  while (!gDeliveryMutex.try_lock()) {
    if (HostTimeNanos() >= deadline) return kAudioHardwareNoError;
    timespec pause{0, 100000};
    nanosleep(&pause, nullptr);
  }
  gDeliveryMutex.unlock();
  return kAudioHardwareNoError;
}
