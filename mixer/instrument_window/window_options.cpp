#include "mixer/instrument_window/window_options.h"

#include "mixer/instrument_window/strip_geometry.h"
#include "mixer/outputs/instrument_values.h"
#include "platform/controls/control_types.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

uint16_t gInstrumentWindowOptionWord = 0;

namespace {

constexpr int16_t kSendMenuId = 199;
constexpr int16_t kMoveUndoKind = 1;
constexpr unsigned char kSendTitle[] = "\004Show";
constexpr unsigned char kLinkTitle[] = "\016Link to Editor";
constexpr unsigned char kRecordTitle[] = "\014Record Moves";

// The step the recorded moves of one pass go into.
int32_t OpenMoveStep(void*) {
  SetCurrentUndoKind(kMoveUndoKind);
  return 1;
}

}  // namespace

void MakeInstrumentWindowControls(WindowRef window, ControlRef run[4]) {
  if (!window) return;
  Rect send{2, 120, 20, 250}, link{3, 260, 19, 380}, record{3, 390, 19, 500};
  run[0] = NewControl(window, &send, kSendTitle, true, 0, kSendMenuId, 40, kControlPopupButtonProc, 0);
  run[1] = NewControl(window, &link, kLinkTitle, true, 0, 0, 1, kControlCheckBoxProc, 0);
  run[2] = NewControl(window, &record, kRecordTitle, true, 0, 0, 1, kControlCheckBoxProc, 0);
  run[3] = nullptr;
}

void HandleInstrumentWindowControl(int16_t k, ControlRef control) {
  if (k == 0) {
    if (SetInstrumentWindowPart(GetControlValue(control) - 1)) InvalidateInstrumentWindow();
    return;
  }
  if (k != 1 && k != 2) return;
  const uint8_t bit = k == 1 ? kLinkedToEditor : kRecordValueMoves;
  const bool on = GetControlValue(control) != 0;
  gInstrumentWindowOptions = uint8_t(on ? (gInstrumentWindowOptions | bit) : (gInstrumentWindowOptions & ~bit));
  if (on && (gInstrumentWindowOptions & kRecordValueMoves)) RunUndoableTimeSelectionEdit(OpenMoveStep);
}
