// The MIDI reset commands: each item sends a reset message to every output (the universal
// system on message, two manufacturers' reset messages, the all-notes-off pass and the
// channel mode controllers on all 16 channels); and the sustain release sent through an
// instrument's output parts before one of them changes its port.
#pragma once

#include <cstdint>

// The menu listing the MIDI reset commands.
constexpr int16_t kMidiResetMenuId = 89;

// Runs item 1..18 (items 2, 4, 6, 9, 12 and 14 are separators and do nothing).
void HandleMidiResetMenu(int16_t item);
// The MIDI record a fixed reset message is broadcast as: header 0x80, the whole length
// (message + 6), a zero time word, the message. Answers the record's length, or 0 when the
// message does not fit a record (its length byte holds at most 255).
int32_t BuildResetRecord(const uint8_t* message, int32_t length, uint8_t* record, int32_t room);
// Controller 64 value 0 through each output part of the record in use (status 0xB0 | that
// part's channel, to that part's port), so that no note stays held across a port change.
void ReleaseSustainOnParts(const uint8_t* record);
