#include "editors/toolbar/child_sequence_button.h"

#include "editors/toolbar/toolbar_layout.h"
#include "shell/windows/app_windows.h"
#include "song/model/song_iterators.h"

ControlRef gEditorChildSequenceButton = nullptr;

ControlRef CreateEditorChildSequenceButton() {
  WindowRef window = GetAppWindowRef(&gMainEditorRecord);
  gEditorChildSequenceButton = window ? GetNewControl(kChildSequenceButtonId, window) : nullptr;
  if (gEditorChildSequenceButton) HideControl(gEditorChildSequenceButton);
  return gEditorChildSequenceButton;
}

void ShowOrHideChildSequenceButton(bool toolbarShown) {
  ControlRef button = gEditorChildSequenceButton;
  if (!button || !IsValidControlHandle(button)) return;
  if (!toolbarShown || CountChildSequences() == 0) {
    if (IsControlVisible(button)) HideControl(button);
    return;
  }
  Point origin = GetToolbarOrigin();
  MoveControl(button, int16_t(origin.h + kChildSequenceButtonLeft), int16_t(origin.v + kChildSequenceButtonTop));
  if (!IsControlVisible(button)) ShowControl(button);
}
