// The performance tools' steps of the idle pass.
#pragma once

struct RealtimeProcessor;

void KeyboardWindowIdle();
void RhythmToolIdle();
// The tools' service step: once a pass and first at quit.
void PerformanceToolsService();
// The real-time processors' idle step, run when the idle timer leaves the idle pass out.
void RealtimeProcessorsIdle(RealtimeProcessor* chain);
