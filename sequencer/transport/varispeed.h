// Varispeed and fast forward: the clock's playback rate (16.16, 0x10000 normal), the tempo it
// plays at while the rate is changed, the audio engine's rate and the counter's tempo-or-rate
// choice. Main thread.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The counter's tempo/varispeed choice, and its display option (bit 2 of gCounterOptionWord).
constexpr uint32_t kTempoModeOff = 0;
constexpr uint32_t kTempoModeTempo = FourCC("tmpt");
constexpr uint32_t kTempoModeVarispeed = FourCC("vari");
constexpr uint16_t kCounterOptionTempoDisplay = 0x0004;
extern uint32_t gCounterTempoMode;
extern uint16_t gCounterOptionWord;

// The tempo the clock plays at while varispeed or fast forward is on (tenths of a beat a
// minute) and whether the engine's varispeed is on.
constexpr int16_t kFastForwardTempo = 4000;
constexpr uint32_t kNormalPlaybackRate = 0x10000;
extern int16_t gVarispeedTempo;
extern uint8_t gEngineVarispeedActive;
// The engine's rate options: a quarter of the rate, twice it, or frozen.
constexpr uint8_t kVarispeedSlow = 0x01, kVarispeedDouble = 0x02, kVarispeedFreeze = 0x04;
extern uint8_t gVarispeedOptions;

// Normal rate again: varispeed off, the rate 1.0 handed on, the scaled tempo applied again
// (not for the movie and the sample clock, whose rate is the engine's).
void ResetPlaybackRate();
// The audio engine's rate and the movie's, when one is attached.
void SetPlaybackRate(uint32_t rate);
// The engine's rate from the clock's rate and the options; the plug-in devices are told when
// the engine's varispeed goes on or off.
void UpdateEngineVarispeed();
// flags bit 29 and the counter.
void SetVarispeedFlag(bool on);
// Fast forward while the mouse is held on the button: at tempo 400 and rate 2.0 (the engine's
// rate for the movie and sample clock); released, the rate is normal again unless the click
// came from the tempo menu.
void FastForwardWhileDown(int16_t button);
// The contextual menu of the counter's tempo button (menu 207): the display option, off,
// tempo, varispeed; then the button's action. A choice changed for this click alone goes back
// afterwards. Answers whether the menu was shown.
struct EventRecord;
bool ShowTempoModeMenu(const EventRecord* event, int16_t button);
// The menu's item chosen: 1 the display option, 3 off, 4 tempo, 5 varispeed.
void ChooseTempoMode(int16_t item);
