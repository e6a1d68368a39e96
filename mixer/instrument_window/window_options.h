// The instrument window's own controls above its strips: the send selector (value 1 shows the
// strips' own values, v > 1 their send v - 1) and the two check boxes of its option byte
// (bit 0 links the window to the main editor, bit 1 records value moves).
#pragma once

#include <cstdint>

#include "platform/controls/controls.h"
#include "platform/windows/windows.h"

constexpr uint8_t kLinkedToEditor = 0x01;
// The window's option word: kHideSendButton leaves out the button that sends every
// instrument's values again.
extern uint16_t gInstrumentWindowOptionWord;
constexpr uint16_t kHideSendButton = 0x4000;

// Makes the controls in the window: run[0] the send selector, run[1] and run[2] the check
// boxes (run[3] stays empty).
void MakeInstrumentWindowControls(WindowRef window, ControlRef run[4]);
// A click tracked in control k of the run.
void HandleInstrumentWindowControl(int16_t k, ControlRef control);
