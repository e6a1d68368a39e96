#include "song/instruments/instrument_assignments.h"

// Interim: no assignments exist until the sequencer is built.
Handle gInstrumentAssignments;
