// The layer's life (start on first use, shut-down) and its MIDI thread: input delivery to
// read procedures and the drivers' slow work.
#include "platform/coremidi/midi_server.h"

#include <semaphore.h>

#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/threads/lock_free_queue.h"
#include "platform/threads/word_waits.h"
#include "platform/coremidi/midi_drivers.h"
#include "platform/coremidi/midi_notifications.h"
#include "platform/coremidi/midi_registry.h"
#include "platform/coremidi/midi_services.h"
#include "platform/coremidi/note_allocator.h"
#include "platform/system/host_time.h"

namespace {

constexpr size_t kDeliveryChunk = 235;
constexpr size_t kDeliveryQueueSize = 4096;
constexpr size_t kListBufferSize = 64 * 1024;
// The MIDI thread looks for driver work at least this often.
constexpr long kServerPollNanos = 100 * 1000 * 1000;

struct DeliveryEntry {
  MIDIObjectRef target = 0;
  uint32_t batch = 0;
  MIDITimeStamp stamp = 0;
  uint16_t length = 0;
  uint8_t mode = 0;
  bool endsBatch = false;
  Byte data[kDeliveryChunk];
};

struct Server {
  std::mutex lifecycle;
  std::atomic<bool> running{false};
  std::atomic<bool> stopping{false};
  std::atomic<bool> exited{true};  // the server thread has left its loop
  std::thread thread;
  std::atomic<std::thread::id> threadID{};
  sem_t wake;
  std::atomic<uint32_t> requests{0};
  std::atomic<uint32_t> batch{0};
  std::atomic<uint64_t> dropped{0};
  std::mutex delivering;  // held while read procedures run
  LockFreeQueue<DeliveryEntry, kDeliveryQueueSize> queue;
  std::vector<uint8_t> listBuffer;

  Server() { sem_init(&wake, 0, 0); }
};

// Never freed: real-time threads may touch the queue while the layer shuts down.
Server& S() {
  static Server* server = new Server;
  return *server;
}

// ---- delivery

struct Recipient {
  MIDIReadProc proc;
  void* refCon;
  void* connRefCon;
};

void CollectRecipientsLocked(MIDIObjectRef target, uint8_t mode, std::vector<Recipient>* out) {
  out->clear();
  if (mode == kDeliverToDestination) {
    MidiObject* dest = FindMidiObjectOfKindLocked(target, kMidiKindDestination);
    if (dest != nullptr && dest->readProc != nullptr) out->push_back({dest->readProc, dest->readRefCon, nullptr});
    return;
  }
  for (MIDIClientRef clientRef : MidiClientsLocked()) {
    MidiObject* client = FindMidiObjectLocked(clientRef);
    if (client == nullptr) continue;
    for (MIDIObjectRef portRef : client->owned) {
      MidiObject* port = FindMidiObjectOfKindLocked(portRef, kMidiKindInputPort);
      if (port == nullptr || port->readProc == nullptr) continue;
      for (const MidiConnection& c : port->connections)
        if (c.source == target) out->push_back({port->readProc, port->readRefCon, c.refCon});
    }
  }
}

void HandOver(const DeliveryEntry& key, const MIDIPacketList* list, std::vector<Recipient>* recipients) {
  {
    std::lock_guard<std::mutex> guard(MidiRegistryLock());
    CollectRecipientsLocked(key.target, key.mode, recipients);
  }
  for (const Recipient& r : *recipients) r.proc(list, r.refCon, r.connRefCon);
}

void DeliverQueued() {
  Server& s = S();
  static std::vector<Recipient> recipients;
  DeliveryEntry entry;
  bool have = s.queue.TryPop(&entry);
  while (have) {
    std::lock_guard<std::mutex> busy(s.delivering);
    auto* list = reinterpret_cast<MIDIPacketList*>(s.listBuffer.data());
    MIDIPacket* cur = MIDIPacketListInit(list);
    DeliveryEntry key = entry;
    for (;;) {
      MIDIPacket* added = MIDIPacketListAdd(list, kListBufferSize, cur, entry.stamp, entry.length, entry.data);
      if (added == nullptr) break;  // list full: hand it over, this entry starts the next one
      cur = added;
      if (entry.endsBatch) {
        have = s.queue.TryPop(&entry);
        break;
      }
      // The rest of the batch is on its way: wait a moment for it rather than cut the list.
      have = s.queue.TryPop(&entry);
      for (int spin = 0; !have && spin < 2000; ++spin) {
        std::this_thread::yield();
        have = s.queue.TryPop(&entry);
      }
      if (!have || entry.target != key.target || entry.mode != key.mode || entry.batch != key.batch) break;
    }
    if (list->numPackets > 0) HandOver(key, list, &recipients);
  }
}

// ---- the thread

void ServerLoop() {
  Server& s = S();
  s.threadID.store(std::this_thread::get_id());
  while (!s.stopping.load()) {
    timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_nsec += kServerPollNanos;
    if (deadline.tv_nsec >= 1000000000L) {
      deadline.tv_sec += 1;
      deadline.tv_nsec -= 1000000000L;
    }
    while (sem_clockwait(&s.wake, CLOCK_MONOTONIC, &deadline) != 0 && errno == EINTR) {
    }
    if (s.stopping.load()) break;
    DeliverQueued();
    uint32_t work = s.requests.exchange(0);
    if (work & kMidiRequestJackGone) {
      CloseJackMidi();
      std::lock_guard<std::mutex> guard(MidiRegistryLock());
      ReconcileMidiDriverLocked(kMidiDriverJack, {}, true);
    } else if (work & kMidiRequestJackRescan) {
      RescanJackMidi(true);
    }
    if (work & kMidiRequestAlsaRescan) RescanAlsaSeq(true);
    ServiceJackMidi();
    ServiceBuiltInSynth();
  }
  s.threadID.store(std::thread::id());
  s.exited.store(true);
}

// A chunk of at most kDeliveryChunk bytes, cut before a status byte where one allows, so that
// the chunks of a long packet start with whole messages.
size_t ChunkLength(const Byte* bytes, size_t length) {
  if (length <= kDeliveryChunk) return length;
  for (size_t cut = kDeliveryChunk; cut > 0; --cut)
    if (bytes[cut] >= 0x80 && bytes[cut] < 0xF8) return cut;
  return kDeliveryChunk;
}

void DrainQueue() {
  DeliveryEntry entry;
  while (S().queue.TryPop(&entry)) {
  }
}

bool StartLocked() {
  Server& s = S();
  if (s.listBuffer.empty()) s.listBuffer.resize(kListBufferSize);
  s.stopping.store(false);
  s.requests.store(0);
  s.dropped.store(0);
  DrainQueue();
  SuppressMidiNotifications(true);
  StartBuiltInSynthDriver(false);
  if (MidiDriverEnabled("alsa") && OpenAlsaSeq()) RescanAlsaSeq(false);
  if (MidiDriverEnabled("jack") && OpenJackMidi()) RescanJackMidi(false);
  s.running.store(true, std::memory_order_release);
  s.exited.store(false);
  s.thread = std::thread(ServerLoop);
  SuppressMidiNotifications(false);
  return true;
}

}  // namespace

bool MidiDriverEnabled(const char* name) {
  const char* list = std::getenv("ZARIN_MIDI_DRIVERS");
  if (list == nullptr) return true;
  std::string text = std::string(",") + list + ",";
  return text.find(std::string(",") + name + ",") != std::string::npos;
}

bool EnsureMidiServices() {
  Server& s = S();
  if (s.running.load(std::memory_order_acquire)) return true;
  std::lock_guard<std::mutex> guard(s.lifecycle);
  if (s.running.load(std::memory_order_acquire)) return true;
  return StartLocked();
}

bool MidiServicesRunning() { return S().running.load(std::memory_order_acquire); }

void WakeMidiServer() { sem_post(&S().wake); }

void RequestMidiServerWork(uint32_t requests) {
  S().requests.fetch_or(requests);
  WakeMidiServer();
}

bool OnMidiServerThread() { return S().threadID.load() == std::this_thread::get_id(); }

uint32_t NextMidiDeliveryBatch() { return S().batch.fetch_add(1) + 1; }

bool QueueMidiDelivery(MIDIObjectRef target, MidiDeliveryMode mode, uint32_t batch, bool endsBatch,
                       MIDITimeStamp stamp, const Byte* bytes, size_t length, bool mayWait) {
  Server& s = S();
  const uint64_t giveUp = mayWait ? HostTimeNanos() + 50 * 1000 * 1000 : 0;
  DeliveryEntry entry;
  entry.target = target;
  entry.mode = mode;
  entry.batch = batch;
  entry.stamp = stamp;
  for (size_t at = 0; at < length; at += entry.length) {
    entry.length = uint16_t(ChunkLength(bytes + at, length - at));
    entry.endsBatch = endsBatch && at + entry.length == length;
    std::memcpy(entry.data, bytes + at, entry.length);
    while (!s.queue.TryPush(entry)) {
      if (!mayWait || HostTimeNanos() >= giveUp) {
        s.dropped.fetch_add(1, std::memory_order_relaxed);
        WakeMidiServer();
        return false;
      }
      WakeMidiServer();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  WakeMidiServer();
  return true;
}

uint64_t MidiDeliveryDropCount() { return S().dropped.load(); }

MidiDeliveryGuard::MidiDeliveryGuard() {
  if (OnMidiServerThread()) return;
  for (int i = 0; i < 2000 && !(held_ = S().delivering.try_lock()); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (!held_) std::fprintf(stderr, "MIDI: a read procedure has run for over 2 s; going on without it\n");
}

MidiDeliveryGuard::~MidiDeliveryGuard() {
  if (held_) S().delivering.unlock();
}

OSStatus MIDIRestart() {
  if (!EnsureMidiServices()) return kMIDIServerStartErr;
  if (MidiDriverEnabled("alsa") && (AlsaSeqIsOpen() || OpenAlsaSeq())) RescanAlsaSeq(true);
  if (MidiDriverEnabled("jack") && (JackMidiIsOpen() || OpenJackMidi())) RescanJackMidi(true);
  QueueMidiSetupChanged();
  return noErr;
}

void ShutDownMidiServices() {
  Server& s = S();
  std::lock_guard<std::mutex> guard(s.lifecycle);
  if (!s.running.load()) return;
  s.stopping.store(true);
  WakeMidiServer();
  if (!WaitForFlag(s.exited, 2000000000ull)) {
    // A read procedure that never returns keeps the thread; the drivers and endpoints it may
    // still use stay as they are, and the quit goes on without them.
    std::fprintf(stderr, "MIDI: the MIDI server thread did not stop within 2 s; going on without it\n");
    s.thread.detach();
    return;
  }
  if (s.thread.joinable()) s.thread.join();
  SuppressMidiNotifications(true);
  CloseJackMidi();
  CloseAlsaSeq();
  CloseAllNoteAllocators();
  StopBuiltInSynthDriver();
  {
    std::lock_guard<std::mutex> registry(MidiRegistryLock());
    ClearMidiRegistryLocked();
  }
  ClearMidiNotifications();
  DrainQueue();
  while (sem_trywait(&s.wake) == 0) {
  }
  s.running.store(false, std::memory_order_release);
  SuppressMidiNotifications(false);
}
