// What the idle pass reads of media's background work: the waveform-overview jobs and video
// capture.
#pragma once

#include <cstdint>

// Non-zero while background waveform-overview jobs run (the idle pass yields to them).
extern int32_t gOverviewThreadCount;
// Set while somebody waits for the overview jobs to end: a job that sees it gives up.
extern uint8_t gOverviewWaitRequest;
// Non-zero while video capture runs (the idle timer then runs at its fastest).
extern uint32_t gSequenceGrabber;

// Waits for the background waveform-overview jobs to end. Interim: the overview jobs are not
// built, so none runs and nothing is waited for.
void WaitForOverviewThread();
