#include "shell/track_patch_names.h"

void NameSelectedTracksAfterPatches() {}
