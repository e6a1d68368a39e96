#include "tests/sequencer/transport/transport_fixture.h"

#include "sequencer/transport/transport_requests.h"

#include "platform/timing/time_manager.h"
#include "sequencer/clock/clock_interim_services.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/midi_clock_out.h"
#include "sequencer/transport/count_in.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/transport_engine.h"
#include "sequencer/transport/transport_position.h"
#include "sequencer/transport/transport_tempo.h"
#include "sequencer/transport/sync_source.h"

TestTrack Track(std::vector<TestEvent> events) {
  TestTrack t;
  t.events = std::move(events);
  return t;
}

void TransportTest::SetUp() {
  ClockTest::SetUp();
  TransportClock& c = gTransportClock;
  c.midiClockSend = kRecorderProc;
  c.midiClockOutput = kClockPort;
  c.clickCallback = nullptr;
  c.tickHook = nullptr;
  c.countInHold = 0;
  c.countInBarsLeft = 0;
  c.playBits = c.runBits = 0;
  c.stopAtTick = 0;
  c.songPositionPointer = 0;
  while (IdleTaskDepth() > 0) PopIdleTask();
  gIdleTaskError = 0;
  gTransportFlagWord = 0;
  KeepTransportRequestBits(0);
  gCycleMode = 0;
  gCycleRestarts = 0;
  gCountInBars = 0;
  gSongPositionAlign = 0;
  gSyncFlags = 0;
  gClockSyncSource = 0;
  gAudioClockMode = 0;
  gClockSecondSyncByte = 0;
  SetLocatePoint(1);
  ResetMidiClockInput();
}

void TransportTest::TearDown() {
  StopTransport(false);
  gTransportSong = Handle();
  gTransportClock.midiClockSend = kNoDriverProc;
  ClockTest::TearDown();
}

void TransportTest::RunFor(uint64_t nanos) {
  uint64_t end = TimeManagerNowNanos() + nanos;
  while (TimeManagerNowNanos() < end) FireTimeManagerTasksUntil(TimeManagerNowNanos() + 50000);
}

std::vector<SentMessage> TransportTest::SentOn(uint8_t port) const {
  std::vector<SentMessage> out;
  for (const SentMessage& m : gSent)
    if (m.output == port) out.push_back(m);
  return out;
}
