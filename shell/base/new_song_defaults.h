// The preference values that new song headers and new tracks copy. Kept in the preferences
// file's settings record (song/prefs/startup_settings.h reads and writes them there); the
// audio set-up's code 110 report sets the default output of new tracks.
#pragma once

#include <cstdint>

struct NewSongDefaults {
  uint8_t headerByte49 = 0;
  uint8_t headerByte219 = 0;
  uint16_t display184 = 0;
  uint16_t display186 = 0;
  // The default output of new tracks: device kind, port and channel.
  uint8_t trackType = 0;         // TrackEntry byte 58, the output kind
  uint8_t trackMidiOutput = 0;   // TrackEntry byte 17, the port
  uint8_t trackByte136 = 0;      // TrackEntry byte 136, the channel
  uint8_t trackByte137 = 0;
  uint8_t trackModeBits = 0;     // bits 0x40 and 0x80 of TrackEntry byte 59
};

extern NewSongDefaults gNewSongDefaults;
