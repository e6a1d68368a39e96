#include "shell/menus/track_patch_names.h"

void NameSelectedTracksAfterPatches() {}
