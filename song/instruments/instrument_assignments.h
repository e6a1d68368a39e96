// Interim: the sequencer's instrument assignments as one block (undo steps of kind 49 keep a
// copy of it); nothing fills it until the sequencer is built.
#pragma once

#include "platform/memory/mac_types.h"

extern Handle gInstrumentAssignments;
