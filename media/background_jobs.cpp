#include "media/background_jobs.h"

// Interim: overviews and video capture are not built yet, so both stay 0.
int32_t gOverviewThreadCount = 0;
uint8_t gOverviewWaitRequest = 0;
uint32_t gSequenceGrabber = 0;

void WaitForOverviewThread() {}
