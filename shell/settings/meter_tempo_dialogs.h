// The time and key signature dialog and the tempo dialog: classic dialogs whose OK writes
// meter, key and tempo changes into the conductor map over the time selection.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

constexpr int16_t kTimeSignatureDialogId = 1180;
constexpr int16_t kTempoDialogId = 1190;

// Item numbers of the time and key signature dialog.
enum : int16_t {
  kSigFromBarItem = 3,
  kSigToBarItem = 4,
  kSigMeterCheckItem = 5,
  kSigNumeratorItem = 6,
  kSigDenominatorItem = 7,
  kSigMeterArrowItem = 8,
  kSigKeyCheckItem = 9,
  kSigKeyItem = 10,
  kSigKeyArrowItem = 11,
  kSigModeButtonItem = 12,
  kSigGroupCheckItem = 16,
  kSigFirstGroupItem = 17,
  kSigLastGroupItem = 23,
};

// Item numbers of the tempo dialog.
enum : int16_t {
  kTempoSetItem = 3,
  kTempoGradualItem = 4,
  kTempoFitItem = 5,
  kTempoItem = 6,
  kTempoStartItem = 7,
  kTempoEndItem = 8,
  kTempoArrowItem = 9,
  kTempoHoursItem = 10,
  kTempoSubframesItem = 14,
  kTempoEndPositionItem = 15,
  kTempoDurationItem = 16,
};

// Each runs its dialog; true when OK applied the fields, false for Cancel or when the
// dialog could not be opened (reported).
bool RunTimeSignatureDialog();
bool RunTempoDialog();

// Subframes split into hours, minutes, seconds, frames and subframes at the song's frame
// rate, and back.
void SplitSubframes(uint32_t time, int32_t parts[5]);
uint32_t JoinSubframes(const int32_t parts[5]);
