// Undo and Redo: the kept state of a record and the live state change places, so that the
// same record then serves the opposite direction.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct UndoRecord;

// Restores the current record and steps back; nothing when there is nothing to undo.
// Returns 0, or the error of an exchange that failed (the history is then reset).
OSErr UndoLastEdit();
// Takes back the step just made and forgets it: the song is as before the step and no Redo of
// it is left (a cancelled gesture). Returns as UndoLastEdit.
OSErr CancelLastEdit();
// Steps forward and restores the record passed; nothing when there is nothing to redo.
OSErr RedoEdit();
// Exchanges a record of a restorable kind (below 65, no unrestorable block).
OSErr RestoreUndoRecord(UndoRecord* record);
OSErr ExchangeUndoState(UndoRecord* record, int32_t flag);
// Bytes 2..403 change places; the copy keeps its packed position, the live song's is cleared.
void ExchangeSongHeaders(Handle live, Handle copy);
// For each track number in the record's selection (0..47), the live entry and the kept one
// change places; entries are resized, moved or removed, the racks of the entries now kept
// are made shared and those now live made live, and the live entries are put back in the
// order the record keeps.
OSErr ExchangeTrackEntries(UndoRecord* record);
