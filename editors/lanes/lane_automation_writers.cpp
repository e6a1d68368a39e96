#include "editors/lanes/lane_automation_writers.h"

// Interim shapes until the automation lane writers are built.
OSErr WriteMixLane(int32_t, int16_t, int16_t) { return noErr; }
OSErr WriteParameterLane(int16_t, int16_t) { return noErr; }
