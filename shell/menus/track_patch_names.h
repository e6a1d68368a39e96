// Naming the selected tracks after the patches their instruments play (tools menu item 18).
#pragma once

// Interim: the patch name lists of the instruments are not read yet, so no track is renamed.
void NameSelectedTracksAfterPatches();
