// The Edit menu's Undo and Redo items: what they would do, named from the undo texts.
#pragma once

#include <cstdint>

constexpr int16_t kUndoMenuTextList = 145;   // item 1 "Undo", item 2 "Redo"
constexpr int16_t kUndoKindTextList = 501;   // item kind + 1 names the edit

// The Undo item names the current record's edit; the Redo item, while steps were undone, the
// edit Redo would restore (it keeps its text otherwise).
void UpdateUndoMenuItem();
// Both items back to their plain texts.
void ResetUndoMenuTexts();
