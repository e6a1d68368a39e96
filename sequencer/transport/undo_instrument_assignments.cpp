#include "sequencer/transport/undo_instrument_assignments.h"

// Interim: no assignments exist until the sequencer is built.
Handle gInstrumentAssignments;
