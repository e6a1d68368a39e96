// Undo steps of the clipboard commands: the record keeps the clipboard as it was, and the
// edit that follows fills the same record.
#pragma once

#include <cstdint>

#include "song/undo/undo_steps.h"

// Opens an emptied record that keeps a copy of the clipboard (and of its song part) and
// sets the ring's busy byte, so that the following edit fills this record. Returns 1, or 0
// when there is no clipboard (busy is then cleared again) or a copy failed.
int32_t KeepClipboardInUndo();
// KeepClipboardInUndo, then edit, then the busy byte is cleared. Returns 1.
int32_t CallWithoutUndoBusy(UndoableEdit edit, void* context = nullptr);
