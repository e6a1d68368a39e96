// The "transp" dialog (Transform item 3): the map mode, the source/centre and target notes, the
// keys and scales of the scale modes and the snap box; on OK the note map is built from them
// and applied to the selection. Main thread.
#pragma once

#include <cstdint>

// View ids of "transp".
enum : int32_t {
  kTranspStepsRadio = 3,       // radios 3..6: modes 0..3
  kTranspKeepRadio = 6,
  kTranspStepKeyPopup = 7,
  kTranspSourceField = 8,
  kTranspTargetField = 9,
  kTranspFromKeyPopup = 10,
  kTranspToKeyPopup = 11,
  kTranspOneNoteField = 12,
  kTranspSnapBox = 13,
  kTranspFromScalePopup = 14,
  kTranspToScalePopup = 15,
  kTranspStepScalePopup = 16,
  kTranspArrows = 17,
};

// OpenTransposeDialog (declared with the Transform menu): with a time selection the dialog; on
// OK the settings are remembered, the map built and applied (one undoable step).
// The map of the remembered settings (gRepeatTransposition, gTransposeChoices) into gNoteMap.
void BuildNoteMapFromSettings();
