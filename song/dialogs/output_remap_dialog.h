// The output remap dialog: the outputs of the current song that are not present here, each
// with its replacement, and the outputs that may replace them. A click on a missing output
// selects it; a click on an output makes it the selected one's replacement. OK rewrites the
// song and the instruments through the table (and remembers the choices when asked); Cancel
// leaves everything as it was.
#pragma once

#include <cstdint>

constexpr int16_t kOutputRemapDialogId = 1210;
enum : int16_t {
  kRemapOkItem = 1,
  kRemapCancelItem = 2,
  kRemapRememberItem = 3,
  kRemapPromptItem = 4,
  kRemapEntryListItem = 5,
  kRemapChoiceListItem = 6,
};
constexpr int16_t kRemapRowHeight = 16;
// The dialog option word: bit 15 remember the choices.
constexpr uint16_t kRemapOptionRemember = 0x8000;
extern uint16_t gRemapDialogOptions;

// Collects the missing outputs of the current song and, when there are any, runs the dialog.
// True when the user confirmed a remapping.
bool RunOutputRemapDialog(int16_t mode);
