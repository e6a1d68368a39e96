// The sync source: whether the clock runs on its own or follows an external reference, and
// the clock's mode bits that follow from the choice. Main thread.
//
//   0 internal clock                    4 MIDI time code with machine control
//   1 internal clock, audio-clock mode  5 movie time base
//   2 MIDI time code                    6 audio sample clock
//   3 MIDI clock                        7 external device
#pragma once

#include <cstdint>

constexpr int16_t kSyncSourceInternal = 0;
constexpr int16_t kSyncSourceAudioClock = 1;
constexpr int16_t kSyncSourceTimeCode = 2;
constexpr int16_t kSyncSourceMidiClock = 3;
constexpr int16_t kSyncSourceMachineControl = 4;
constexpr int16_t kSyncSourceMovie = 5;
constexpr int16_t kSyncSourceSampleClock = 6;
constexpr int16_t kSyncSourceExternalDevice = 7;

// Play bits of the clock: bit 7 while a time-code source is followed; bit 5 keeps the sync
// input on the plain pre-filter (unless a tempo was tapped).
constexpr uint8_t kPlayBitTimeCode = 0x80;
constexpr uint8_t kPlayBitSyncPreFilterOff = 0x20;

// The sync-flags word; bit 0x200 is set for the sources whose time the clock follows from an
// external reference (2, 4, 5, 6 and 7): the tick routines and the idle task test it.
extern uint32_t gSyncFlags;
constexpr uint32_t kSyncFlagsExternalTime = 0x200;

// Stores the code and sets the clock up for it: the audio-clock mode, play bits bit 7, the
// machine-control byte (with the MMC reset and set-up for source 4 unless the sync mode is 2),
// the sync-flags bit, and the pre-filter of the sync input. A code outside 0..7 is taken as
// 0; source 7 falls back to 0 while no external device with a position exists. The code (before
// that fallback) is kept in the document header, where a song switch takes it from.
void SetSyncSource(int16_t code);
int16_t GetSyncSource();

// The sync settings a song document carries, applied when it has been read: its frame-rate
// code (when it differs from the program's) and its sync source. Installed as the document
// hooks' header-settings entry.
void ApplyDocumentSyncSettings(const uint8_t* header);

// Whether a source can be chosen now: 0..4 and 6 always; the movie when the song has one; the
// external device when one offers a position (none does yet).
bool SyncSourceIsValid(int16_t code);
// The sync menu's item n (1..8) chooses source n - 1.
void SelectSyncSourceMenu(int16_t item);
// A valid source from the menu (or a click on the counter's sync label) becomes the song's;
// an invalid one changes nothing. Answers whether it was taken.
bool SetSyncSourceFromMenu(int16_t code, bool fromClick);
