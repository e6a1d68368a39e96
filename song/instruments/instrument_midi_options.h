// Program-wide options of the MIDI output that the instrument sends read.
#pragma once

#include <cstdint>

// Preference word of the MIDI output; bit 0x4000: "all notes off" is sent as single
// note-offs instead of controller 123.
extern uint16_t gMidiOutputOptions;
constexpr uint16_t kSingleNoteOffsOption = 0x4000;
// Non-zero while the QuickTime Music output (device kind 5) is in use.
extern uint8_t gQuickTimeMusicInUse;
