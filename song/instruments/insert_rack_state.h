// The saved form of an insert rack (its plug-in chain and their settings) in one handle.
#pragma once

#include "platform/memory/mac_types.h"

// A new handle with the serialised state of the record's insert chain, or null when there
// is nothing to save.
Handle SaveInsertRackState(Handle rackRecord);
// Writes a state (or nothing for null) to the current stream; returns the stream error.
OSErr WriteInsertRackState(Handle state);
// Disposes a state handle and clears the cell.
void DisposeInsertRackState(Handle* cell);
