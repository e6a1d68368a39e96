#include "performance/performance_idle.h"

// Interim: the on-screen keyboard, the rhythm tool, the arpeggiator window and the remote
// control are not built yet, so none of them has idle work.
void KeyboardWindowIdle() {}
void RhythmToolIdle() {}
void PerformanceToolsService() {}
void RealtimeProcessorsIdle(RealtimeProcessor*) {}
