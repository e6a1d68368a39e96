// Naming the selected tracks after the patches their instruments play (tools menu item 18 and
// the region context menu): one undo step; a track whose patch has no name keeps its name.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

void NameSelectedTracksAfterPatches();
// The current track renamed after its patch (a track callback).
int32_t NameTrackAfterPatch(void*);
// The name of the current track's patch, or null: from the instrument's patch name list (not
// read yet), else, on the built-in synth, the name of the instrument its channel plays. The
// program is used by the name list only.
StringPtr GetChannelPatchName(int32_t program);
// The current pane's name strip invalidated (a pane callback).
void InvalidateCurrentPane();
