#include "sequencer/midi/midi_clock_out.h"

#include <atomic>

#include "sequencer/clock/clock_interim_services.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/sync_source.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/tempo_tables.h"

uint8_t gSongPositionAlign = 0;
int32_t gMidiClockReload = 0;
uint32_t gMidiSyncTick = 0;
uint8_t gMidiHostTimeStamping = 0;
uint8_t gRecordTempoChanges = 0;

namespace {

TransportClock& C() { return gTransportClock; }

// Song position being received: 0 none, 1 waiting for the low byte, 2 for the high byte.
int32_t gPositionState = 0;
uint8_t gPositionLow = 0;
std::atomic<uint8_t> gReceiveBusy{0};

void Send(uint8_t* record) {
  if (C().midiClockSend != kNoDriverProc)
    InvokeSendCallback(C().midiClockSend, record, C().midiClockOutput);
}

void FinishSongPosition(uint8_t high) {
  uint16_t position = uint16_t(gPositionLow | (uint16_t(high & 0x7F) << 7));
  C().receivedSongPosition = position;
  C().songPositionPointer = position;
  C().midiClockGroup = kMidiClockGroup;
  gMidiClockReload = kMidiClockGroup;
  if (!(C().runBits & 1)) {
    C().songTick = SongPositionToTick();
    gMidiSyncTick = C().songTick;
  }
}

// The tempo estimate at the end of a group: the sync task's fires since the last clock
// against the fires one clock lasts at the clock's tempo (ticks per MIDI clock). No fires
// counted means no estimate.
void EstimateTempo() {
  if (gMidiHostTimeStamping) return;
  uint32_t fires = C().firesSinceClock;
  uint32_t expected = uint32_t(TicksPerMidiClock());
  if (fires == 0 || fires == expected || !(C().playBits & 0x10)) return;
  int32_t tempo = int32_t((uint32_t(C().tempo) * expected + fires / 2) / fires);
  if (tempo < kTempoTableFirst) tempo = kTempoTableFirst;
  if (tempo > kTempoTableLast) tempo = kTempoTableLast;
  if (tempo == C().requestedTempo) return;
  C().requestedTempo = int16_t(tempo);
  if ((C().runBits & 1) && gRecordTempoChanges)
    AppendTempoRecord(&gTempoRecordBuffer, C().songTick, uint16_t(tempo));
}

void ReceiveClock() {
  gMidiSyncTick += uint32_t(TicksPerMidiClock());
  C().tickDebt = int16_t(uint16_t(gMidiSyncTick) - uint16_t(C().songTick));
  int32_t left = --C().midiClockGroup;
  if (left < 0) {  // the first clock after a start
    C().tickDebt = 0;
    gMidiSyncTick = SongPositionToTick();
    C().syncRunning = 1;
    // A reload of 0 (a pass prepared at a clock boundary) would make every clock the first.
    C().midiClockGroup = gMidiClockReload > 0 ? gMidiClockReload : kMidiClockGroup;
    return;
  }
  bool running = (C().runBits & 1) != 0;
  if (left == 6 && running) ++C().songPositionPointer;
  if (left <= 0) {
    if (running) ++C().songPositionPointer;
    EstimateTempo();
    C().midiClockGroup = kMidiClockGroup;
  }
}

void ReceiveContinue() {
  C().midiClockGroup = 0;
  C().runBits |= 1;
  C().receivedSongPosition = C().songPositionPointer;
  if (!(C().flags.load() & kClockFlagStartBlocked)) C().flags.fetch_or(kClockFlagExternalStart);
}

void ReceiveStop() {
  C().syncRunning = 0;
  C().syncStarted = 0;
  C().playBits &= uint8_t(~0x10);
  if (C().midiClockGroup == 1 || C().midiClockGroup == 7) {
    ++C().songPositionPointer;
    gMidiClockReload = kMidiClockGroup;
  } else {
    gMidiClockReload = C().midiClockGroup;
  }
  HaltSequencerTicks();
}

}  // namespace

int32_t TicksPerSixteenth() {
  int32_t t = int32_t(gTempoTableResolution / 4);
  return t > 0 ? t : 1;
}

int32_t TicksPerMidiClock() {
  int32_t t = int32_t(gTempoTableResolution / 24);
  return t > 0 ? t : 1;
}

void SendMidiRealtimeByte(uint8_t byte) {
  uint8_t record[9] = {128, 7, 0, 0, 0, 0, byte, 0, 0};
  Send(record);
}

void SendSongPositionPointer(uint16_t sixteenths) {
  uint8_t record[9] = {128, 9, 0, 0, 0, 0, kMidiSongPosition, uint8_t(sixteenths & 0x7F),
                       uint8_t((sixteenths >> 7) & 0x7F)};
  Send(record);
}

void SetMidiClockPhase(int32_t ticksIntoStep, int32_t sixteenths) {
  int32_t perSixteenth = TicksPerSixteenth();
  int32_t reload = 0;
  int32_t position = sixteenths;
  if (!gSongPositionAlign) {
    // The clock starts at the next bar: song position 0 there.
    if (ticksIntoStep != 0 || sixteenths != 0)
      reload = (16 - (sixteenths & 15)) * perSixteenth - ticksIntoStep;
    position = 0;
  } else if (ticksIntoStep != 0) {
    position = sixteenths + 1;
    reload = perSixteenth - ticksIntoStep;
    if (reload < 0) reload = 0;
    if (reload > 255) reload = 255;
  }
  gMidiClockReload = reload;
  C().songPositionPointer = uint16_t(position);
  if (position != 0) SendSongPositionPointer(uint16_t(position));
  C().midiClockCountdown = 127;
}

void SendMidiStartOrContinue() {
  SendMidiRealtimeByte(C().songPositionPointer == 0 ? kMidiStart : kMidiContinue);
  if (gMidiClockReload > 0) {
    C().midiClockCountdown = gMidiClockReload;
    return;
  }
  // Starting on a step: its first clock goes with this tick, not one tick late.
  SendMidiRealtimeByte(kMidiClock);
  C().midiClockCountdown = TicksPerMidiClock();
}

void CountDownMidiClock() {
  if (--C().midiClockCountdown > 0) return;
  SendMidiRealtimeByte(kMidiClock);
  C().midiClockCountdown = TicksPerMidiClock();
}

void CountDownMidiClockOut() {
  if (gSyncFlags & 0x200) CountDownMidiClock();
}

void SendMidiStop() {
  gMidiClockReload = C().midiClockCountdown;
  SendMidiRealtimeByte(kMidiStop);
}

int32_t ReceiveMidiClockByte(uint8_t byte) {
  uint8_t expected = 0;
  if (!gReceiveBusy.compare_exchange_strong(expected, 1)) return 0;
  int32_t result = 0;
  if (gPositionState != 0 && byte < 0x80) {
    if (gPositionState == 1) {
      gPositionLow = byte;
      gPositionState = 2;
    } else {
      FinishSongPosition(byte);
      gPositionState = 0;
    }
  } else if (byte == kMidiSongPosition) {
    gPositionState = 1;
  } else if (byte < 0xF8) {
    gPositionState = 0;
    result = 1;
  } else if (byte == kMidiClock || byte == kMidiStart || byte == kMidiContinue) {
    if (byte == kMidiClock) ReceiveClock();
    if (byte == kMidiStart) {
      C().songPositionPointer = 0;
      gMidiClockReload = kMidiClockGroup;
    }
    if (byte != kMidiClock) ReceiveContinue();
    C().playBits = uint8_t((C().playBits & ~0x10) | ((C().playBits & 0x40) ? 0x10 : 0));
    C().firesSinceClock = 0;
  } else if (byte == kMidiStop) {
    ReceiveStop();
  }
  gReceiveBusy.store(0);
  return result;
}

int32_t ReceiveMidiClockMessage(const uint8_t* bytes, int32_t count, uint32_t, uint64_t) {
  if (count <= 0) return 0;
  if (ReceiveMidiClockByte(bytes[0])) return 1;
  for (int32_t i = 1; i < count; ++i) ReceiveMidiClockByte(bytes[i]);
  return 0;
}

uint32_t SongPositionToTick() {
  int32_t perSixteenth = TicksPerSixteenth();
  int32_t clocks = kMidiClockGroup - gMidiClockReload;
  if (clocks < 0) clocks = 0;
  return uint32_t(C().receivedSongPosition) * uint32_t(perSixteenth) +
         uint32_t(clocks % 6) * uint32_t(perSixteenth / 6) + 1;
}

uint32_t GetMidiSyncTick() { return gMidiSyncTick; }

void ResetMidiClockInput() {
  gPositionState = 0;
  gReceiveBusy.store(0);
  gMidiSyncTick = 0;
}
