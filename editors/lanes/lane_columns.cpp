#include "editors/lanes/lane_columns.h"

// Interim shapes until the lane columns are built.
LaneColumns gLaneColumns;

int32_t LaneColumnIndex(int32_t x) { return x < 0 ? 0 : x; }
OSErr BuildLaneColumns(int32_t) { return noErr; }
void EnsureLaneColumnsCurrent() {}
void ResetLaneDragState() { gLaneColumns.leftSample = 0xFFFFFFFFull; }
void BuildBendReferenceColumns() {}
