// The loop dialog of a track's sections (nib "tloop"): a new section over the time selection
// (or the whole song), or an existing entry of the current track, with its repeat count or
// endless repeat. OK adds or changes the section as one undoable edit.
#pragma once

#include <cstdint>

enum : int32_t {
  kSectionCountedRadio = 3,
  kSectionEndlessRadio = 4,
  kSectionRepeatField = 5,
  kSectionStartField = 6,
  kSectionEndField = 9,
};

struct SectionDialogValues {
  int32_t start = 1;
  int32_t end = 1;
  int32_t count = 1;
  bool endless = false;
};

// What the dialog shows at first.
SectionDialogValues GetSectionDialogDefaults(bool isNew, int32_t index);
// The OK side, as one undoable edit: a new section goes to every selected track, an existing
// one is entry index of the current track. 1 when the edit ran.
int32_t ApplySectionDialog(bool isNew, int32_t index, const SectionDialogValues& values);
// Runs the dialog: 1 when OK applied it, 0 when cancelled, else the error of its making.
int32_t RunSectionDialog(bool isNew, int32_t index);
