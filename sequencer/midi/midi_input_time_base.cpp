#include "sequencer/midi/midi_input.h"

#include <algorithm>
#include <atomic>
#include <climits>

#include "platform/memory/memory.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/record_start_hooks.h"
#include "sequencer/transport/playback_control.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/tempo_tables.h"

// The host-time base maps a MIDI input's host time stamp to a song tick. The main thread sets
// and clears it, the clock task publishes the raw base it keeps, and the MIDI input thread
// applies the published base and reads it.

namespace {

std::atomic<uint64_t> gHostTimeBase{0};
std::atomic<bool> gHostTimeBaseValid{false};
// The clock's raw base {tick, host time}, published under a sequence word (odd while it is
// written); gAppliedBase is the sequence value last turned into gHostTimeBase.
std::atomic<uint32_t> gRawBaseSequence{0};
std::atomic<uint64_t> gRawBaseNanos{0};
std::atomic<uint32_t> gRawBaseTick{0};
std::atomic<uint32_t> gAppliedBase{0};

// Turns a newly published raw base into the base (MIDI thread). A base being written at this
// moment is taken by the next call.
void ApplyPublishedBase() {
  uint32_t before = gRawBaseSequence.load(std::memory_order_acquire);
  if (before == gAppliedBase.load(std::memory_order_relaxed) || (before & 1)) return;
  uint64_t nanos = gRawBaseNanos.load(std::memory_order_relaxed);
  uint32_t tick = gRawBaseTick.load(std::memory_order_relaxed);
  std::atomic_thread_fence(std::memory_order_acquire);
  if (gRawBaseSequence.load(std::memory_order_relaxed) != before) return;
  gAppliedBase.store(before, std::memory_order_relaxed);
  SetHostTimeBaseAt(tick, nanos, 0);
}

uint8_t* PlayingSong() {
  Handle h = gTransportClock.playingSong;
  if (!h || !IsValidHandle(h)) return nullptr;
  return reinterpret_cast<uint8_t*>(*h);
}

}  // namespace

uint32_t HostTimeToTick(uint64_t hostNanos) {
  ApplyPublishedBase();
  // The audio clock drives the song: input takes its tick, not a time of its own.
  if (std::atomic_ref<uint8_t>(gAudioClockMode).load(std::memory_order_relaxed))
    return gTransportClock.songTick;
  // A recording that waits for its first note places everything at its start.
  if (gRecordWaitsForFirstNote.load(std::memory_order_acquire))
    return gRecordStartTick.load(std::memory_order_relaxed);
  uint8_t* song = PlayingSong();
  if (!(gMidiPrefs & kMidiPrefHostTimeStamps) || !gHostTimeBaseValid.load(std::memory_order_acquire) || !song ||
      gMicrosecondsPerSubframe <= 0.0)
    return gTransportClock.songTick;
  int64_t elapsed = int64_t(hostNanos) - int64_t(gHostTimeBase.load(std::memory_order_relaxed));
  if (elapsed < 0) elapsed = 0;  // stamped before the base: the song's start
  double subframes = double(elapsed) / 1000.0 / gMicrosecondsPerSubframe;
  ConductorState state;
  int64_t tick = SubframesToTickExact(subframes, &state, song);
  return uint32_t(std::clamp<int64_t>(tick, 1, INT32_MAX));
}

void SetHostTimeBaseAt(uint32_t tick, uint64_t hostNanos, int32_t offsetMilliseconds) {
  uint8_t* song = PlayingSong();
  double tickNanos = song ? TickToSubframesExact(song, tick) * gMicrosecondsPerSubframe * 1000.0 : 0.0;
  double base = double(hostNanos) - tickNanos + double(int64_t(offsetMilliseconds) * 1000000);
  gHostTimeBase.store(base > 0 ? uint64_t(base) : 0, std::memory_order_relaxed);
  gHostTimeBaseValid.store(true, std::memory_order_release);
}

void ClearHostTimeBase() {
  gAppliedBase.store(gRawBaseSequence.load(std::memory_order_acquire) & ~1u, std::memory_order_relaxed);
  gHostTimeBaseValid.store(false, std::memory_order_release);
}

void PublishHostTimeBase(uint32_t tick, uint64_t hostNanos) {
  uint32_t sequence = gRawBaseSequence.load(std::memory_order_relaxed);
  gRawBaseSequence.store(sequence + 1, std::memory_order_relaxed);
  std::atomic_thread_fence(std::memory_order_release);
  gRawBaseNanos.store(hostNanos, std::memory_order_relaxed);
  gRawBaseTick.store(tick, std::memory_order_relaxed);
  gRawBaseSequence.store(sequence + 2, std::memory_order_release);
}
