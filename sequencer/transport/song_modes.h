// The current song's mode, and whether step input and live recording go to a MIDI output or
// to a plug-in instrument.
#pragma once

#include <cstdint>

// Output device bytes of an instrument that mark plug-in instruments.
constexpr uint8_t kPluginInstrumentDevice = 20;
constexpr uint8_t kSecondPluginInstrumentDevice = 21;

// The current song's mode byte is 1 (step input to the current instrument).
bool IsSongModeOne();
// Mode 3 (record mode), or mode 1 while the current instrument is a plug-in instrument.
bool IsSongStepOrRecordMode();
// The current instrument is a plug-in instrument of the second kind.
bool IsPluginInstrumentCurrent();
// Mode 1, or step or record mode while the current plug-in instrument has plug-ins to take
// the steps.
bool DoesSongAllowStepInput();
// The output device byte of the current instrument (its first part); 0 without one.
uint8_t GetCurrentOutputDevice();
