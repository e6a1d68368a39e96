// The view modes of the main editor's panes: which modes a pane may take, switching modes, the
// view-mode pop-up, removing panes and the single-pane layout.
#pragma once

#include <cstdint>

bool IsAudioViewMode(int16_t mode);
int16_t GetAllowedViewMode(int16_t mode);
void SetEditorViewMode(int16_t mode);
void RunViewModePopUp();
void RemoveEditorPane(int16_t n);
void ToggleSinglePaneLayout(int16_t n);
