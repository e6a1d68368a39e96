#include "sequencer/clock/tick_routines.h"

#include "platform/system/host_time.h"
#include "sequencer/clock/clock_interim_services.h"
#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_clock_out.h"
#include "sequencer/midi/midi_utilities.h"
#include "sequencer/transport/transport_plugin_hooks.h"
#include "sequencer/transport/sync_source.h"
#include "song/conductor/tempo_tables.h"

uint8_t gSendingSysExDump = 0;

namespace {

TransportClock& C() { return gTransportClock; }

constexpr uint32_t kSubframesPerFrameFixed = 80u << 16;
constexpr uint32_t kVarispeedCheckTicks = 44;

void RunTickRoutine() {
  if (C().tickRoutine) C().tickRoutine();
}

bool TakeClockLockOnce() {
  uint32_t expected = 0;
  return C().lock.compare_exchange_strong(expected, kClockOwnerHolder);
}

void ReleaseClockLock() { C().lock.store(0, std::memory_order_release); }

void ApplyRequestedTempo() {
  if (gSyncFlags & 0x200) {
    C().requestedTempo = int16_t(C().tempo);
    return;
  }
  if (C().requestedTempo == int16_t(C().tempo)) return;
  int32_t t = C().requestedTempo;
  t = t < kTempoTableFirst ? kTempoTableFirst : t > kTempoTableLast ? kTempoTableLast : t;
  ApplyTempoToDevices(t);
  SetTempoFromTable(t);
  C().tempo = uint16_t(t);
  C().requestedTempo = int16_t(t);
}

void SlowVarispeed() {
  if (!(C().flags.load() & kClockFlagVarispeed) || C().tickDebt <= 0) return;
  uint32_t now = TickCount();
  if (now - C().varispeedCheckStamp <= kVarispeedCheckTicks) return;
  int32_t t = GetScaledTempo() - 100;
  if (t < kTempoTableFirst) t = kTempoTableFirst;
  SetTempoFromTable(t);
  C().varispeedCheckStamp = now;
}

}  // namespace

void PlayClockFire() {
  CountDownMidiClock();
  if (!TakeClockLockOnce()) {
    ++C().tickDebt;
    if (C().tickDebt < 0) {  // 32,768 missed ticks: the clock cannot keep up
      C().tickDebt = 0;
      StopPlaybackFromClock();
    }
    return;
  }
  if (C().flags.load() & kClockFlagHalted) {
    StopPlaybackFromClock();
    ReleaseClockLock();
    return;
  }
  if (C().tickDebt < 0) {
    ++C().tickDebt;
  } else {
    RunTickRoutine();
    for (int32_t i = 0; i < kMaxExtraTicksPerFire && C().tickDebt > 0; ++i) {
      RunTickRoutine();
      --C().tickDebt;
    }
    SlowVarispeed();
  }
  ReleaseClockLock();
}

void SyncClockFire() {
  ++C().firesSinceClock;
  if (C().flags.load() & kClockFlagHalted) {
    StopPlaybackFromClock();
    return;
  }
  if (!TakeClockLockOnce()) {
    if (C().tickDebt < 32767) ++C().tickDebt;
    int32_t limit = gSendingSysExDump ? kSyncDebtLimitSysEx : kSyncDebtLimit;
    if (C().tickDebt > limit) LatchEngineError(47);
    return;
  }
  if (C().syncRunning && C().syncStarted) {
    if (C().syncCallback) C().syncCallback();
    int32_t debt = C().tickDebt < 0 ? -C().tickDebt : C().tickDebt;
    if (debt > C().maxDebt) {
      C().maxDebt = debt;
      C().maxDebtTick = int32_t(C().songTick);
    }
    if (C().tickDebt < 0) {
      if (C().tickRoutine == CountInTick) RunTickRoutine();
      ++C().tickDebt;
    } else {
      if (C().tickDebt > 0) {
        ApplyRequestedTempo();
        CountDownMidiClockOut();
        RunTickRoutine();
        --C().tickDebt;
        int32_t extra = (C().flags.load() & kClockFlagVarispeed) ? 4 : 1;
        for (int32_t i = 0; i < extra && C().tickDebt > 0; ++i) {
          RunTickRoutine();
          --C().tickDebt;
        }
      }
      CountDownMidiClockOut();
      ApplyRequestedTempo();
      RunTickRoutine();
    }
  } else {
    ApplyRequestedTempo();
  }
  ReleaseClockLock();
}

void AdvanceTimeCode(uint32_t increment, bool dropFrame) {
  gRealTimePosition += increment;
  C().frameAccumulator += increment;
  uint8_t* tc = C().timeCode;
  uint8_t fps = uint8_t(C().framesPerSecond & 0xFF);
  if (fps == 0) fps = 30;
  // Every whole frame advances, so a tick longer than a frame never lets the time code lag.
  while (C().frameAccumulator >= kSubframesPerFrameFixed) {
    C().frameAccumulator -= kSubframesPerFrameFixed;
    if (++tc[3] < fps) continue;
    tc[3] = 0;
    if (++tc[2] < 60) continue;
    tc[2] = 0;
    if (++tc[1] >= 60) {
      tc[1] = 0;
      ++tc[0];
    } else if (dropFrame && tc[1] % 10 != 0) {
      tc[3] = 2;
    }
  }
}

void AdvanceClockTick() {
  ++C().songTick;
  AdvanceConductorTick();
  AdvanceTimeCode(C().subframeIncrement, false);
  TickScheduler(nullptr);
}

void AdvanceClockTickDropFrame() {
  ++C().songTick;
  AdvanceConductorTick();
  AdvanceTimeCode(C().subframeIncrement, true);
  TickScheduler(nullptr);
}

void SelectTickRoutine() {
  C().tickRoutine = gSmpteRateCode == 2 ? AdvanceClockTickDropFrame : AdvanceClockTick;
}
