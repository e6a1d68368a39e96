#include "sequencer/transport/count_in.h"

#include "sequencer/clock/clock_interim_services.h"
#include "sequencer/clock/tick_routines.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/arp_engine.h"
#include "sequencer/midi/midi_clock_out.h"
#include "sequencer/midi/midi_input.h"

uint8_t gCountInEnded = 0;

namespace {
TransportClock& C() { return gTransportClock; }

void FinishCountIn() {
  gCountInEnded = 1;
  EndCountIn();
  ArpRestartAll(C().songTick);
}
}  // namespace

void BeginCountIn(uint32_t tick) {
  C().tickRoutine = CountInTick;
  C().startTick = tick;
  C().savedBeatInBar = C().beatInBar;
  C().savedTickInBeat = C().tickInBeat;
  C().tickInBeat = 65535;  // the first count-in tick is tick 0 of the first beat
  C().beatInBar = 0;
  C().tickDebt = 0;
  gCountInEnded = 0;
}

void CountInTick() {
  // The MIDI clock does not run during the count-in: give back the fire's countdown.
  ++C().midiClockCountdown;
  if (C().countInHold) {
    C().countInBarsLeft = 2;
  } else {
    if (!C().hostTimeValid) {
      RecordHostTimeBase();
      C().hostTimeBaseTick = C().startTick;
      PublishHostTimeBase(C().startTick, C().hostTimeBase);
    }
    if (C().countInBarsLeft == 0) {
      FinishCountIn();
      return;
    }
  }
  uint16_t ticksPerBeat = C().ticksPerBeat ? C().ticksPerBeat : 1;
  if (++C().tickInBeat >= ticksPerBeat) {
    C().tickInBeat = 0;
    if (++C().beatInBar >= C().beatsPerBar) {
      C().beatInBar = 0;
      if (C().countInBarsLeft > 0) --C().countInBarsLeft;
      if (C().countInBarsLeft == 0 && !C().countInHold) {
        FinishCountIn();
        return;
      }
    }
  }
  CountInClick();
}

void EndCountIn() {
  C().tickInBeat = 32767;
  CountInClick();
  SendMidiStartOrContinue();
  SelectTickRoutine();
  C().beatInBar = C().savedBeatInBar;
  C().tickInBeat = C().savedTickInBeat;
  C().songTick = C().startTick;
  C().hostTimeValid = 0;
  if (C().tickRoutine) C().tickRoutine();
}

void CountInClick() {
  if (C().clickCallback) C().clickCallback();
  if (IsArpeggiatorServiceActive()) ArpServiceAll();
}

bool IsCountingIn() { return C().tickRoutine == CountInTick; }
