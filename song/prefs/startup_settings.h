// The program settings kept in the preferences data file, and reading them back at start-up.
//
// The settings record is 103 big-endian fields, 339 bytes, stored one after the other in a
// fixed order. The program keeps the record as that byte image (gPrefsSettings.record), so
// the writer and the reader share one field table and cannot drift apart. Fields whose
// owners give them a meaning have names below; the others are kept and written back as they
// were read. Older files lack the later fields (each field says from which version it is in
// the file) and some values are upgraded or defaulted by the rules of
// ApplySettingsRules.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// The version the writer stores, and the oldest one the reader accepts.
constexpr uint16_t kPrefsVersion = 932;
constexpr uint16_t kOldestPrefsVersion = 585;
// From this version on the file holds the window layout, the drawing block, the
// instrument table in its current form and the instrument assignments after the record.
constexpr uint16_t kPrefsSectionsVersion = 929;

constexpr int32_t kSettingsRecordSize = 339;
constexpr int32_t kSettingsFieldCount = 103;

struct SettingsField {
  uint16_t offset;       // in the record image
  uint8_t width;         // 1, 2, 4 or a byte run (16, 24, 40)
  uint16_t presentFrom;  // first file version that holds the field
  uint16_t usedFrom;     // first version whose value is taken (older values are skipped)
};

// Field i in file order (i in 0..102).
const SettingsField& GetSettingsField(int32_t index);

// Fields with a meaning (indexes into the field table).
enum : int32_t {
  kSetLaneController = 0,      // u32 the editors' lane controller
  kSetLimitedValue = 1,        // u32, above 47 reads as 1
  kSetClockField60 = 6,        // u32 transport clock field at 60
  kSetClockField44 = 7,        // u32 transport clock field at 44
  kSetAppStateByte = 9,        // u8
  kSetClockByte546 = 14,       // u8
  kSetFlagsWord = 15,          // u16; its low byte is a second setting; bit 0x200: option 12
  kSetFourFieldWord0 = 17,     // u32 first word of a four-field record (also kept aside)
  kSetFourFieldWord1 = 18,     // u32
  kSetDisplayFlags = 31,       // u16; bit 0x10 clear sets 0x1C
  kSetDisplayFlags2 = 32,      // u16; also the low half of the MIDI input flags
  kSetToggle = 35,             // u8, inverted in files below 916
  kSetHeaderByte119 = 38,      // u8 song-file header byte 119
  kSetCount = 42,              // u32, 0 reads as 6
  kSetMidiPrefsByte = 43,      // u8
  kSetTwoSettings = 44,        // u32: low byte, and (second byte XOR 1)
  kSetSizeWord = 46,           // u16; with the next: 0 reads as 4 and 0x2000
  kSetSizeLong = 47,           // u32
  kSetAlwaysZero = 50,         // u8, written and read as 0
  kSetClockMode = 51,          // u8 applied after the file is closed
  kSetPrefWordHigh = 55,       // u8 high byte of the preference word
  kSetFavourites = 64,         // 16 bytes
  kSetDisplaySetting = 66,     // u16; below 913 138; 0 reads as 128 + bit 12 of the pref word
  kSetPairLong = 67,           // u32; with the next: a u8 of 0 reads as 1 and 1
  kSetPairByte = 68,           // u8
  kSetBufferA = 69,            // u32, 0 reads as 0xF000
  kSetRealtimeByte = 70,       // u8 the real-time processors' settings byte
  kSetBufferB = 71,            // u32, 0 reads as 0x20000
  kSetBlock903First = 72,      // 72..76: u32 u16 u32 u8 u8, taken from 903 on
  kSetHighlightColour = 77,    // u32 song-file header field at 152; non-zero: the highlight
  kSetBlock24 = 78,            // 24 bytes (from 905)
  kSetKeptCopy = 81,           // u32 (from 915), a copy kept aside
  kSetMidiInputFlags = 93,     // u32 (from 919)
  kSetHelpMarks = 95,          // u16 (from 920) the help menu's marks
  kSetUndoLevels = 98,         // u32 (from 926) the number of undo levels
  kSetAudioSettingsByte = 100, // u8 (from 928), 1 before
  // The Preferences dialog's values and the chase options (song/prefs/dialog_settings_hooks.h).
  kSetDrawPrefs = 33,          // u16
  kSetUndoEventLimit = 36,     // u32
  kSetWindowOptions = 37,      // u16
  kSetDisplayOption = 39,      // u8
  kSetTransportOption = 40,    // u8
  kSetEventBufferBytes = 41,   // u32
  kSetEventsPerPass = 45,      // u32
  kSetStartupOptions = 48,     // u8
  kSetChasePause = 52,         // u8
  kSetChaseBurst = 53,         // u8
  kSetChaseFilter = 54,        // u16, 0 reads as the built-in filter
  kSetChaseRange = 59,         // u16
  kSetRefreshPeriod = 65,      // u32, 0 reads as the built-in period
  kSetDisplayColours = 90,     // 40 bytes (from 918): the dialog's three colours
  // What new songs and tracks take (shell/base/new_song_defaults.h).
  kSetNewTrackKind = 23,       // u8 the default output of new tracks: kind,
  kSetNewTrackPort = 24,       // u8 port
  kSetNewTrackChannel = 25,    // u8 and channel
  kSetNewTrackByte137 = 26,    // u8
  kSetNewSongDisplay184 = 28,  // u16
  kSetNewSongDisplay186 = 29,  // u16
  kSetNewSongByte49 = 56,      // u8
  kSetNewSongByte219 = 57,     // u8
  kSetNewTrackModeBits = 58,   // u8 bits 0x40 and 0x80
};

// The undo level count a file may set (the ring is allocated at once).
constexpr uint32_t kMaxUndoLevels = 1024;

// The settings: the two option bytes written ahead of the record, and the record.
struct PrefsSettings {
  uint8_t mode = 0;    // a three-state mode byte
  uint8_t second = 0;  // a setting of its own from 922 on
  uint8_t record[kSettingsRecordSize] = {};
};

extern PrefsSettings gPrefsSettings;
// The real-time processors' setting; bit 0: real-time processing is switched on.
extern uint8_t gRealtimeProcessorSettings;

// Value of a 1-, 2- or 4-byte field (0 for a byte run); setting one stores the low bits.
uint32_t GetSetting(const PrefsSettings* s, int32_t index);
void SetSetting(PrefsSettings* s, int32_t index, uint32_t value);
uint8_t* GetSettingBytes(PrefsSettings* s, int32_t index);

// The two settings carried in kSetTwoSettings, and the flags word's low byte.
uint8_t GetTwoSettingsLow(const PrefsSettings* s);
uint8_t GetTwoSettingsFlag(const PrefsSettings* s);
uint8_t GetFlagsWordLowSetting(const PrefsSettings* s);

// The built-in defaults: an empty record passed through the default rules.
void SetDefaultSettings(PrefsSettings* s);
// The upgrade and default rules for a record read from a file of this version.
void ApplySettingsRules(PrefsSettings* s, uint16_t version);

// The live settings that other parts of the program hold themselves (undo levels, the
// real-time processors' byte) go into the record before it is written ...
void CaptureLiveSettings(PrefsSettings* s);
// ... and come out of it after it was read.
void ApplyLiveSettings(const PrefsSettings* s);

// Reads the preferences data file and the settings resources at start-up. *layout gets the
// program's window layout block when the file held one (else stays as it was), *status
// the file's result. Returns 1 when a file of an accepted version was read and taken,
// else 0 (every setting then keeps its built-in default).
int32_t ReadPreferencesData(Handle* layout, OSErr* status);

// GetResource('BMID', id), kept and detached; null when missing.
Handle GetDetachedBMIDResource(int16_t id);
// Reads 2 bytes from the current stream (0 when the read fails).
uint16_t ReadU16(uint8_t* address);

// What start-up keeps from the settings resources.
extern uint8_t gFavouritesRecord[16];  // 'BMID' 200
extern Handle gSettingsResource500;    // 'BMID' 500
extern Handle gSettingsResource152;    // 'BMID' 152
extern Handle gJukeboxSetupResource;   // 'BMID' 160, for the jukebox set-up
