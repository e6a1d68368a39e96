// Saving a rack's chain as an insert rack state and re-creating a chain from one
// (song/instruments/insert_rack_state.h holds the block's layout): each plug-in's table
// entry, settings record fields, parameter values and opaque state (a VST chunk or a
// component's class information). Songs keep their racks this way; the states read with a
// song wait in their racks until the host instantiates them. Main thread only.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// A new state of the rack's live chain (a rack without plug-ins: the bare header), or null
// for no rack. Memory running out is reported: the records made so far are kept, or null
// when there are none.
Handle SaveRackPluginStates(Handle rack);
// Opens the state's plug-ins into the rack's chain (behind any it holds), each with its
// settings, opaque state and parameter values. A plug-in the table does not hold is passed
// over; the others are still applied. 0, or the first error.
OSErr ApplyRackPluginStates(Handle rack, Handle state);
// The name of the table's entry whose id and kind are the record's; -43 when none.
OSErr FindPluginForRackRecord(const uint8_t* record, Str255 name);
// Applies the saved states waiting in the instruments' and every song's tracks' racks and
// drops them, with a progress line per plug-in when any is to be opened. A state whose
// plug-ins the table does not know stays waiting; a state without plug-ins is dropped.
void InstantiatePendingRackStates();
// Fills the save and apply entries of gInstrumentPluginHooks and the document hook
// instantiatePendingInsertRacks.
void InstallInsertRackStateHooks();
