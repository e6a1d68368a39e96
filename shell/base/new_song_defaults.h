// Interim: the preference values that new song headers and new tracks copy, kept here until
// the preferences file is read into them (zero until then, like a fresh preferences file).
#pragma once

#include <cstdint>

struct NewSongDefaults {
  uint8_t headerByte49 = 0;
  uint8_t headerByte219 = 0;
  uint16_t display184 = 0;
  uint16_t display186 = 0;
  uint8_t trackMidiOutput = 0;   // TrackEntry byte 17
  uint8_t trackType = 0;         // TrackEntry byte 58
  uint8_t trackByte136 = 0;
  uint8_t trackByte137 = 0;
  uint8_t trackModeBits = 0;     // bits 0x40 and 0x80 of TrackEntry byte 59
};

extern NewSongDefaults gNewSongDefaults;
