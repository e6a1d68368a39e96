#include "editors/views/view_modes.h"

#include "shell/windows/track_view_modes.h"

// Interim shapes until the view modes are built.
bool IsAudioViewMode(int16_t mode) { return mode == 9 || mode == 10 || mode == 11 || mode == 13 || mode == 14; }
int16_t GetAllowedViewMode(int16_t mode) { return mode; }
void SetEditorViewMode(int16_t mode) { ApplyViewMode(uint8_t(mode)); }
void RunViewModePopUp() {}
void RemoveEditorPane(int16_t) {}
void ToggleSinglePaneLayout(int16_t) {}
