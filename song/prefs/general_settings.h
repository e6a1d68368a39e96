// The general settings record: 'BMID' 128 ("Setup") of the preferences resource file, written
// at quit and read at the next start.
//
// A big-endian byte image of at most 414 bytes. The fields up to offset 388 are in every
// record; later ones were appended over the versions and are read only when the record
// reaches them, so a shorter record of an earlier version loads them with defaults. Bytes
// whose owners are not named here are kept as they were read when the record is written.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "song/prefs/preferences_reader.h"

constexpr int16_t kGeneralSettingsId = 128;
constexpr int32_t kGeneralSettingsSize = 414;

enum : int32_t {
  kGenOutputPair = 4,       // u8
  kGenDeviceType = 8,       // 4 characters, "NONE" when unset
  kGenTextSize = 12,        // u16 the windows' text size
  kGenFontName = 14,        // Str63 the windows' font
  kGenEditingOptions = 80,  // u8 the transform dialogs' option byte (bit 1: controllers N only)
  kGenDeviceName = 124,     // Str63 the audio device's name
  kGenFixedRate = 384,      // u32 the sample rate in 16.16 fixed point
  kGenBaseSize = 388,       // every record holds the fields before this offset
  kGenFloatRate = 392,      // f32 the sample rate
  kGenResolution = 396,     // u16 ticks per quarter note
  kGenTicksPerBeat = 408,   // u16 the meter's beat, 0: no meter saved
  kGenBeatsPerBar = 410,    // u8 the meter's beats per bar
};

constexpr OSErr kGeneralSettingsDamaged = kPrefsDamagedErr;
constexpr float kDefaultSampleRate = 44100.0f;
constexpr int32_t kMaxSavedFontName = 63;

struct GeneralSettings {
  uint8_t outputPair = 0;
  char deviceType[4] = {'N', 'O', 'N', 'E'};
  int16_t textSize = 0;               // 0: none saved
  unsigned char fontName[64] = {0};   // Pascal string
  unsigned char deviceName[64] = {0}; // Pascal string
  float sampleRate = kDefaultSampleRate;
  int32_t resolution = 0;             // 0: none saved
  uint16_t ticksPerBeat = 0;          // 0: no meter saved
  uint8_t beatsPerBar = 0;
  uint8_t editingOptions = 0;
};

// Reads a record image: the fields it holds over the defaults. Refuses (kGeneralSettingsDamaged,
// *out untouched) a record shorter than the base or longer than 414 bytes, a name longer than
// 63 characters, or a text size, resolution or meter out of range.
OSErr ParseGeneralSettings(const uint8_t* bytes, int32_t length, GeneralSettings* out);
// Fills the named fields of a 414-byte image; the other bytes stay as they are.
void FillGeneralSettings(const GeneralSettings& s, uint8_t* bytes);

// 'BMID' 128 of the preferences file. *found tells whether there is a record; a damaged one
// answers kGeneralSettingsDamaged and leaves *out alone.
OSErr ReadGeneralSettings(GeneralSettings* out, bool* found);
// Takes the stored record (or a new one), brings it to 414 bytes, fills it and writes it back.
OSErr WriteGeneralSettings(const GeneralSettings& s);
