// The main editor's child-sequence button ('CNTL' 255): a bevel button in the tool bar whose
// menu lists the current track's child sequences. Shown while that track has any.
#pragma once

#include <cstdint>

#include "platform/controls/controls.h"

constexpr int16_t kChildSequenceButtonId = 255;
// Its place right of the tool bar's fields, from the tool bar's origin.
constexpr int16_t kChildSequenceButtonLeft = 530;
constexpr int16_t kChildSequenceButtonTop = 8;

extern ControlRef gEditorChildSequenceButton;

// Makes the button (hidden) in the main editor window; null when the window or the resource
// is missing.
ControlRef CreateEditorChildSequenceButton();
// Places the button in the tool bar and shows it while the tool bar is shown and the current
// track has child sequences; hides it otherwise.
void ShowOrHideChildSequenceButton(bool toolbarShown);
