#include "sequencer/clock/clock_interim_services.h"

#include <atomic>

#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_input.h"
#include "sequencer/midi/realtime_processors.h"
#include "sequencer/transport/transport_position.h"

uint32_t gNoteInputFlags = 0;
int16_t gLatchedEngineError = 0;
uint32_t gProcessorNoteOffReports = 0;

void PollKeyboardFromClock() {}

void ReportNoteOffToProcessor(void* processor, uint32_t tick, uint8_t status, uint8_t note) {
  RingMessage message;
  message.tick = tick;
  message.status = uint8_t(status & 0x8F);
  message.data1 = note;
  message.data2 = 64;
  if (QueueProcessorInput(static_cast<RealtimeProcessor*>(processor), message)) ++gProcessorNoteOffReports;
}

void LatchEngineError(int16_t error) {
  if (gLatchedEngineError == 0) gLatchedEngineError = error;
  HaltSequencerTicks();
}

void StopPlaybackFromClock() {
  gTransportClock.task.tmAddr = ClockTimerIdleProc;
  gTransportClock.installedProc.store(ClockTimerIdleProc);
  std::atomic_ref<uint32_t>(gTransportFlagWord).fetch_or(0x10);
}

void RecordHostTimeBase() {
  gTransportClock.hostTimeBase = ClockDueNanos();
  gTransportClock.hostTimeBaseTick = gTransportClock.songTick;
  gTransportClock.hostTimeValid = 1;
  PublishHostTimeBase(gTransportClock.hostTimeBaseTick, gTransportClock.hostTimeBase);
}


uint8_t gPlayingKey = 0;
