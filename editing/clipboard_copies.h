// The clipboard's own copy and disposal of its header record, as undo steps keep it (through
// the undo's clipboard hooks). The record is duplicated with its rack table (kinds 1 and 3):
// each table record with its own rack and assignment handles.
#pragma once

#include "platform/memory/mac_types.h"
#include "song/model/song_copies.h"

// A copy of handle (CopyHandleUnlessFailed) that, when it is a clipboard record with a rack
// table, holds a copy of the table with its own racks; 0 once request failed (nothing leaks).
Handle DuplicateHandleWithRacks(SongCopyContext* request, Handle handle);
// A copy of the clipboard record, or 0 with *err set when memory is short (nothing leaks).
Handle CopyClipboardRecord(Handle clipboard, OSErr* err);
// Frees a clipboard record with the rack table it holds; clears *clipboard.
void DisposeClipboardRecord(Handle* clipboard);
