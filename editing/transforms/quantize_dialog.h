// The "sequan" dialog: edits a quantize settings record and, when asked, applies the confirmed
// settings to the time selection as one undoable step. The Transform menu opens it on the
// quantize settings (applying); the record-pass dialog on the input-quantize settings (editing
// only).
//
// Main thread only.
#pragma once

#include "editing/transforms/quantize_settings.h"

// View ids of "sequan".
enum : int32_t {
  kQuantizeStartsBox = 3,
  kQuantizeDurationsBox = 4,
  kQuantizeTripletsBox = 7,
  kQuantizeGridRadio = 8,
  kQuantizeGridField = 11,
  kQuantizeStrengthField = 13,
  kQuantizeSwingField = 14,
  kQuantizeValueArrows = 19,
  kQuantizeNotePicture = 20,
  kQuantizeGridArrows = 32,
};
constexpr int16_t kQuantizeHelpTopic = 500;

// Runs the dialog on settings; true when it was confirmed. With applyOnOk the time selection
// must not be empty (its error otherwise, and no dialog) and the confirmed settings are applied.
bool RunQuantizeDialog(QuantizeSettings* settings, bool applyOnOk);
