// The info panel's transport buttons: stop, play, record, rewind to the song's start, and one
// bar forward or back. Main thread.
#pragma once

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

// Runs button 0..5; other numbers do nothing.
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
