// The editors' steps of the idle pass: the main editor's two idle steps, the track window's,
// and preparing an output before playback.
#pragma once

#include <cstdint>

// Non-zero once the click's output (the plug-in device kind) has been prepared.
extern uint8_t gClickOutputPrepared;

void EditorIdle();
void EditorSecondIdle();
void TrackWindowIdle();
// Prepares the output of a device kind before playback (nothing in section mode).
void PrepareOutputForDeviceKind(uint8_t deviceKind);
