// The QuickTime Music output kind: MIDI channel messages played on sixteen note channels of
// the built-in synth through the note allocator, one note channel per MIDI channel.
#pragma once

#include <cstdint>

#include "platform/coremidi/note_allocator.h"

struct QuickTimeMusicPort {
  NoteAllocator allocator = 0;
  NoteChannel channel = 0;
  int32_t bank = 0;          // bank bits of the next instrument number (16384 on channel 10)
  uint8_t bendRange = 2;     // semitones
  ComponentResult result = 0;
  // The instrument the channel plays: a program change sets its instrument number, and the
  // rest is filled (NAStuffToneDescription) when its name is asked for.
  ToneDescription tone{};
};

extern QuickTimeMusicPort gQuickTimeMusicPorts[16];

// Opens the allocator and its sixteen note channels and installs the output's driver
// procedure; the first error.
ComponentResult OpenQuickTimeMusicPorts();
void CloseQuickTimeMusicPorts();
// The driver procedure: one MIDI message (a driver record) to the port of its channel.
int32_t QuickTimeMusicSend(uint8_t* record, int32_t port);
// The note allocator's pitch-bend controller value (8.8 semitones) of a 14-bit bend.
int32_t QuickTimeBendValue(uint8_t data1, uint8_t data2, uint8_t range);
