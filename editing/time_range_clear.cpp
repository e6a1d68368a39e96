#include "editing/time_range_clear.h"

// Interim: nothing is cleared until the range clear is built.

void ClearTimeRangeInTrack(ClearRequest*) {}
void ClearTrackRange(ClearRequest*) {}
void ClearPaneRange(ClearRequest*) {}
void ClearLaneRange(int32_t) {}
void ClearSelectedTracksRange(ClearRequest*, int16_t, bool) {}
void ClearInContext(ClearRequest*, int16_t) {}
void ClearSelection() {}
void DeleteMatchingEventsInRange(uint32_t, uint32_t, EventFilterProc) {}
void SetVelocityInRange(uint32_t, uint32_t, int32_t) {}
