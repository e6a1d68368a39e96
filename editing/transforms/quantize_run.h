// Quantizing the time selection of every track in the edit scope: the per-track step that
// switches on the settings' kind (grid, 'GRVE' groove, track groove), and the run as one
// undoable step. The Transform menu's dialog, the record pass and the performance tools use it.
//
// Main thread only.
#pragma once

#include <cstdint>

#include "editing/transforms/groove_templates.h"
#include "editing/transforms/quantize_settings.h"

constexpr int32_t kNothingToQuantizeText = 35;

// The argument record of the per-track step: the settings and, for the groove kinds, the
// groove read once before any track changes.
struct QuantizeRun {
  QuantizeSettings* settings;
  Groove groove;
};

// The per-track step on the current track: grid quantize (kind 0) or the groove pass
// (kinds 1 and 2), bracketed as one track edit, the list sorted and the track made long enough
// for its last note. Answers 0.
int32_t ApplyGrooveTemplate(void* run);
// Applies the settings to every track of the edit scope and the sequences they play in the
// selection. Nothing when the grid is 0 with kind 0; error text 35 when neither starts nor
// durations are chosen; error text 34 when a groove is missing or has no note-on. With
// undoable the change is one undoable step (undo kind 3); true when that step ran.
bool RunQuantize(QuantizeSettings* settings, bool undoable);
