// Splits the data bytes of a packet into whole MIDI messages, for the drivers that carry one
// message per event (JACK, the sequencer, the built-in synth). No allocation: real-time safe.
//
// - A real-time byte (0xF8..0xFF) is a message of its own wherever it stands.
// - A system-exclusive block runs from 0xF0 up to and including 0xF7, or up to the next
//   status byte when it is cut short; data bytes that open a packet with no running status
//   (the continuation of a block) form a message of their own up to the next status byte.
// - Channel messages take their data bytes; data bytes after them reuse their status
//   (running status), so each message handed on starts with its status byte. A real-time
//   byte inside a message is handed on before it.
// - A message cut short by the end of the packet is handed on as it stands; CompleteLength
//   tells the caller how long it should have been.
#pragma once

#include <cstddef>

#include "platform/coremidi/midi_types.h"

// Length of a message that begins with status (0 for a data byte or system-exclusive).
constexpr size_t MidiMessageLength(Byte status) {
  if (status < 0x80) return 0;
  if (status < 0xF0) return (status & 0xE0) == 0xC0 ? 2 : 3;
  switch (status) {
    case 0xF0: return 0;
    case 0xF1: case 0xF3: return 2;
    case 0xF2: return 3;
    default: return 1;
  }
}

// visit(const Byte* bytes, size_t length) is called for each message in order.
template <typename Visit>
void ForEachMidiMessage(const Byte* data, size_t length, Visit&& visit) {
  Byte running = 0;
  size_t i = 0;
  while (i < length) {
    Byte b = data[i];
    if (b >= 0xF8) {
      visit(&data[i], size_t(1));
      ++i;
      continue;
    }
    if (b == 0xF0 || (b < 0x80 && running == 0)) {
      // System-exclusive block or a continuation: runs to 0xF7 or the next non-real-time
      // status byte. Real-time bytes inside it are handed on first.
      size_t start = i;
      size_t j = i + 1;
      while (j < length && data[j] != 0xF7 && (data[j] < 0x80 || data[j] >= 0xF8)) {
        if (data[j] >= 0xF8) visit(&data[j], size_t(1));
        ++j;
      }
      if (j < length && data[j] == 0xF7) ++j;
      // Copy-free when no real-time byte interrupted the block (the usual case).
      bool interrupted = false;
      for (size_t k = start; k < j; ++k) interrupted |= data[k] >= 0xF8;
      if (!interrupted) {
        visit(&data[start], j - start);
      } else {
        // Hand on the block's chunks between the real-time bytes.
        size_t chunk = start;
        for (size_t k = start; k <= j; ++k) {
          if (k == j || data[k] >= 0xF8) {
            if (k > chunk) visit(&data[chunk], k - chunk);
            chunk = k + 1;
          }
        }
      }
      running = 0;
      i = j;
      continue;
    }
    // A channel or system-common message, gathered past any real-time bytes inside it.
    Byte status = b >= 0x80 ? b : running;
    size_t want = MidiMessageLength(status);
    Byte message[3] = {status, 0, 0};
    size_t n = 1;
    if (b >= 0x80) {
      running = status < 0xF0 ? status : 0;
      ++i;
    }
    while (i < length && n < want) {
      Byte d = data[i];
      if (d >= 0xF8) {
        visit(&data[i], size_t(1));
        ++i;
        continue;
      }
      if (d >= 0x80) break;
      message[n++] = d;
      ++i;
    }
    visit(static_cast<const Byte*>(message), n);
  }
}
