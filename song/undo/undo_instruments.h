// The instrument table as undo steps keep it: a copy with its own racks (plug-ins listed as
// shared) and assignment handles, and its exchange with the live table.
#pragma once

#include "platform/memory/mac_types.h"

struct UndoRecord;

// A copy of an instrument table block whose records hold their own duplicates of the rack
// and the two assignment handles. Nothing is left behind on failure.
OSErr DuplicateInstrumentTableBlock(Handle table, Handle* copy);
// Lets go of the racks' plug-ins, frees the racks, the assignments and the block; clears it.
void DisposeInstrumentTableBlock(Handle* table);
// The current undo record keeps a copy of the instrument table (an earlier copy is freed).
OSErr KeepInstrumentTableInUndo();
// Swaps the record's table with gInstrumentTable: the live racks are made shared first, the
// counts re-derived, the new live racks made live and the instrument state rebuilt.
OSErr ExchangeInstrumentTable(UndoRecord* record);
