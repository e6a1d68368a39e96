// The info panel's transport buttons: stop, play, record, rewind to the song's start, and one
// bar forward or back. Main thread.
#pragma once

#include <atomic>
#include <cstdint>

enum : int16_t {
  kCounterButtonStop = 0,
  kCounterButtonPlay = 1,
  kCounterButtonRecord = 2,
  kCounterButtonRewind = 3,
  kCounterButtonForward = 4,
  kCounterButtonBack = 5,
  kCounterButtonCount = 6,
};

// The clock's button byte: bit n while button n is being acted on; bit 4 a held record
// button. The time-code receiver reads it from the MIDI thread.
constexpr uint8_t kClockButtonRecordHeld = 0x10;
extern std::atomic<uint8_t> gClockButtonByte;
// Where a record press during a start asked for by the reference punches in.
extern uint32_t gPunchStartTick;

// Runs button 0..5 (other numbers do nothing): the button's bit is set while it acts; with the
// clock timer off and another button already down the idle tasks run first. Stop ends
// varispeed, the audio-clock mode of time code without machine control and a held record
// button; record during a start asked for by the reference keeps the position as the punch
// start; forward winds bar by bar while held (plays fast while held when the counter's tempo
// mode is varispeed). Afterwards the start block and the byte clear.
void CounterButtonAction(int16_t button);
// Locates to tick (the editors follow when they are installed); a pass that plays goes on
// from there.
void LocateFromCounterButton(uint32_t tick);
// The start of the bar after (or before) the one holding tick: never past the song's end bar
// line, never before tick 1.
uint32_t NextBarForWind(uint32_t tick);
uint32_t PreviousBarForWind(uint32_t tick);

// The counter's mode indicators: cycle (the transport's cycle mode, flags bit 0), punch and
// click, each one bit of the transport flags word.
enum : int16_t { kIndicatorCycle = 0, kIndicatorPunch = 1, kIndicatorClick = 2, kCounterIndicatorCount = 3 };
constexpr uint32_t kTransportPunchArmed = 0x100;
constexpr uint32_t kTransportClickOn = 0x200;
bool IsCounterIndicatorOn(int16_t indicator);
void ToggleCounterIndicator(int16_t indicator);
