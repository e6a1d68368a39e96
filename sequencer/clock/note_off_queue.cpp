#include "sequencer/clock/note_off_queue.h"

#include <atomic>

#include "platform/system/host_time.h"
#include "sequencer/clock/clock_interim_services.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/midi/midi_short_messages.h"
#include "song/conductor/timebase.h"

namespace {

TransportClock& C() { return gTransportClock; }

constexpr uint32_t kCatchUpLimit = 500;

// The clock's idle timer asks whether anything is pending before it takes the clock lock:
// it reads this flag, never the list.
void PublishPending() {
  C().noteOffsPending.store(C().pendingNoteOffs != nullptr, std::memory_order_release);
}

void FreeNode(NoteOffNode* node) {
  node->processor = nullptr;
  node->owner = nullptr;
  node->next = C().freeNoteOffs;
  C().freeNoteOffs = node;
}

// Sends a due or flushed node. storedStatusForZero: release velocity 64 (or a processor) sends
// the stored note-on status with velocity 0.
int32_t SendNodeOff(NoteOffNode* node, bool storedStatusForZero) {
  bool zero = node->releaseVelocity == 64 || node->processor != nullptr;
  if (storedStatusForZero && zero) {
    return SendShortMessage(node->send, node->output, node->status, node->note, 0);
  }
  uint8_t velocity = node->processor ? 64 : node->releaseVelocity;
  return SendShortMessage(node->send, node->output, uint8_t(node->status & 0x8F), node->note,
                          velocity);
}

void ReportAndFree(NoteOffNode* node, uint32_t tick) {
  if (node->processor) ReportNoteOffToProcessor(node->processor, tick, node->status, node->note);
  FreeNode(node);
}

void AdvanceQueue(bool storedStatusForZero) {
  ++C().dueCounter;
  while (C().pendingNoteOffs && C().pendingNoteOffs->dueCount == C().dueCounter) {
    NoteOffNode* node = C().pendingNoteOffs;
    C().pendingNoteOffs = node->next;
    PublishPending();
    SendNodeOff(node, storedStatusForZero);
    ReportAndFree(node, C().songTick);
  }
}

// Unlinks and returns the first pending node that matches, or null.
template <typename Match>
NoteOffNode* TakePending(Match match) {
  NoteOffNode** link = &C().pendingNoteOffs;
  while (*link) {
    NoteOffNode* node = *link;
    if (match(node)) {
      *link = node->next;
      PublishPending();
      return node;
    }
    link = &node->next;
  }
  return nullptr;
}

}  // namespace

uint32_t gRandomVelocityUsed = 0;

void ResetNoteOffPool() {
  C().freeNoteOffs = nullptr;
  C().pendingNoteOffs = nullptr;
  PublishPending();
  for (int32_t i = kNoteOffPoolSize - 1; i >= 0; --i) FreeNode(&C().noteOffPool[i]);
  C().immediateOffRing.fill(ImmediateNoteOff());
  C().immediateOffIndex = 0;
}

bool HasPendingNoteOffs() { return C().noteOffsPending.load(std::memory_order_acquire); }

bool ScheduleNoteOff(uint32_t length, bool live, uint8_t status, uint8_t note,
                     uint8_t releaseVelocity, uint8_t output, DriverProcId send,
                     const void* owner, void* processor) {
  NoteOffNode* node = C().freeNoteOffs;
  if (!node) return false;
  if (length == 0) {
    QueueImmediateNoteOff(status, note, output, send);
    return true;
  }
  C().freeNoteOffs = node->next;
  if (!C().pendingNoteOffs) C().catchUpStamp = TickCount();
  node->note = note;
  node->status = status;
  node->releaseVelocity = releaseVelocity;
  node->output = output;
  node->send = send;
  node->owner = owner;
  node->processor = processor;
  node->dueCount = C().dueCounter + length;
  NoteOffNode** link = &C().pendingNoteOffs;
  while (*link) {
    uint32_t remaining = (*link)->dueCount - C().dueCounter;
    if (live ? remaining > length : remaining >= length) break;
    link = &(*link)->next;
  }
  node->next = *link;
  *link = node;
  PublishPending();
  return true;
}

void AdvanceNoteOffQueue() { AdvanceQueue(false); }

void AdvanceNoteOffQueueForTick() { AdvanceQueue(true); }

void CatchUpNoteOffQueue() {
  if (IsClockTaskPlaying() || C().installedProc.load() != nullptr) return;
  if (!C().pendingNoteOffs || (C().noteOffBlock & 0x02)) return;
  // Due counts are song ticks: a sixtieth of a second is 1/30 of a quarter note at 120 beats a
  // minute, whatever the meter's beat is.
  uint32_t elapsed = TickCount() - C().catchUpStamp;
  uint64_t perQuarter = gTicksPerQuarter > 0 ? uint64_t(gTicksPerQuarter) : 0;
  uint64_t n = (perQuarter * elapsed + 15) / 30;
  if (n > kCatchUpLimit) n = kCatchUpLimit;
  for (uint64_t i = 0; i < n; ++i) AdvanceNoteOffQueue();
  C().catchUpStamp = TickCount();
}

int32_t FlushNoteOffsForTrack(const void* track) {
  int32_t result = 0;
  while (NoteOffNode* node = TakePending([&](NoteOffNode* n) { return n->owner == track; })) {
    result = SendNodeOff(node, true);
    ReportAndFree(node, C().songTick);
  }
  return result;
}

void FlushNoteOffsForOwnerNone() { FlushNoteOffsForTrack(nullptr); }

int32_t FlushNoteOffsNow() {
  int32_t lock = TryLockClock(kClockOwnerHolder);
  if (lock != 0) return lock;
  FlushNoteOffsForOwnerNone();
  UnlockClock(0);
  return 0;
}

void ReleaseProcessorNotes(const void* owner, uint32_t tick) {
  while (NoteOffNode* node = TakePending(
             [&](NoteOffNode* n) { return n->processor != nullptr && n->owner == owner; })) {
    SendShortMessage(node->send, node->output, node->status, node->note, 0);
    ReportAndFree(node, tick);
  }
}

void ReleaseProcessorNote(uintptr_t owner, uint8_t note, uint32_t tick) {
  while (NoteOffNode* node = TakePending([&](NoteOffNode* n) {
           return n->processor != nullptr && n->note == note &&
                  (reinterpret_cast<uintptr_t>(n->owner) >> 8) == owner;
         })) {
    SendShortMessage(node->send, node->output, node->status, node->note, 0);
    ReportAndFree(node, tick);
  }
}

void FlushNoteOffsForOwner(void* processor, bool takeLock) {
  int32_t lock = takeLock ? TryLockClock(kClockOwnerHolder) : 0;
  if (takeLock && lock != 0) return;  // busy: the owner's notes stay scheduled
  for (;;) {
    NoteOffNode* found = nullptr;
    for (NoteOffNode* n = C().pendingNoteOffs; n; n = n->next) {
      if (n->processor == processor) {
        found = n;
        break;
      }
    }
    if (!found || !processor) break;
    ReleaseProcessorNotes(found->owner, C().songTick);
  }
  if (takeLock) UnlockClock(lock);
}

void FlushEveryPendingNoteOff() {
  while (C().pendingNoteOffs) FlushNoteOffsForTrack(C().pendingNoteOffs->owner);
  FlushImmediateNoteOffs();
}

bool FlushEveryNoteOffOwnerLocked() {
  int32_t lock = TryLockClock(kClockOwnerHolder);
  if (lock != 0) return false;
  FlushEveryPendingNoteOff();
  UnlockClock(0);
  return true;
}

void QueueImmediateNoteOff(uint8_t status, uint8_t note, uint8_t output, DriverProcId send) {
  ImmediateNoteOff& e = C().immediateOffRing[C().immediateOffIndex % kImmediateOffRingSize];
  e.status = status;
  e.note = note;
  e.output = output;
  e.send = send;
  C().immediateOffIndex = (C().immediateOffIndex + 1) % kImmediateOffRingSize;
}

void FlushImmediateNoteOffs() {
  C().immediateOffIndex = 0;
  for (ImmediateNoteOff& e : C().immediateOffRing) {
    if (e.send == kNoDriverProc) break;
    SendShortMessage(e.send, e.output, e.status, e.note, 0);
    e.send = kNoDriverProc;
  }
}

uint8_t PickRandomVelocity(uint32_t row) {
  if (row > 127) return 0;
  std::atomic_ref<uint32_t>(gRandomVelocityUsed).fetch_or(kRandomTableTaken);
  auto& t = C().randomVelocityTable;
  uint8_t i = t[row] % kRandomVelocityOffsets;
  t[row] = uint8_t((i + 1) % kRandomVelocityOffsets);
  uint8_t v = std::atomic_ref<uint8_t>(t[kRandomVelocityNotes + row * kRandomVelocityOffsets + i]).load();
  return v <= row ? v : uint8_t(row);
}

uint8_t HumaniseVelocity(uint8_t row, uint8_t velocity) {
  int32_t v = int32_t(velocity & 127) + PickRandomVelocity(row);
  return uint8_t(v < 1 ? 1 : v > 127 ? 127 : v);
}

int32_t ScaleVolumeByMaster(int32_t value, uint8_t outputDevice) {
  return ScaleVolumeForDevice(value, outputDevice);
}
