// Paste, Merge and Duplicate: the clipboard into the current song at the time selection's
// start, track by track.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Paste = (0, 0, 4, null), Merge = (0, 1, 5, null); internal users pass no undo kind (0).
OSErr PasteFromClipboard(int32_t repeat, int32_t merge, int16_t undoKind, void (*applyCallback)());
// Edit item 6: the selection copied and pasted right behind itself.
void DuplicateSelection();
// Edit item 16: every sequence reference of the current track in the time selection expanded.
void ExpandReferencesInSelection();
