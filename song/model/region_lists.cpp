#include "song/model/region_lists.h"

// Interim: region lists carry no rate yet.
float GetRegionListRate(Handle) { return 0.0f; }

// Interim: region lists hold no regions yet.
bool RegionListHasRegions(Handle) { return false; }

// Interim: region lists hold no regions yet.
uint32_t GetRegionListEnd(Handle) { return 0; }
