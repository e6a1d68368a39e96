// The tempo dialog ("tempo"): what its OK button does with the values of its fields over
// the conductor range. The dialog itself is in shell/meter_tempo_dialogs.
#pragma once

#include <cstdint>

enum : int32_t {
  kTempoModeSet = 0,
  kTempoModeGradual = 1,
  kTempoModeFitToTime = 2,
};
// Option byte: bits 0..1 the mode, bit 7 the time fields show the range's duration.
constexpr uint8_t kTempoOptionModeMask = 0x03;
constexpr uint8_t kTempoOptionDuration = 0x80;
extern uint8_t gTempoDialogOptions;

struct TempoDialogFields {
  int32_t mode = kTempoModeSet;
  int32_t tempo = 1200;       // field 6
  int32_t startTempo = 1200;  // field 7
  int32_t endTempo = 1200;    // field 8
  uint32_t time = 0;          // fields 10..14 as subframes from the song start
  bool showsDuration = false; // radio 16 (else 15: the position of the range end)
};

// Sets the conductor range (the time selection, or tick 1 to the song end) and returns the
// fields the dialog opens with.
TempoDialogFields GetTempoDialogDefaults();
// Applies the fields over the conductor range.
void ApplyTempoDialog(const TempoDialogFields& fields);
// Deletes the tempo changes of the conductor range; returns GetConductorStateAt (start).
uint8_t* DeleteTempoChangesAndSeek();
// ClampTempo of a typed tempo field.
int32_t GetDialogTempo(int32_t typed);
