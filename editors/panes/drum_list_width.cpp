#include "editors/panes/drum_list_width.h"

#include "editors/timeline/timeline_axis.h"

// Interim shape until the view modes are built: always the key column.
int16_t gDrumListWidth = kKeyColumnWidth;

void UpdateDrumListWidth() { gDrumListWidth = kKeyColumnWidth; }
