#include "editing/cut_command.h"

#include "editing/edit_context.h"
#include "editing/event_clipboard.h"
#include "editing/insert_remove_time.h"
#include "editing/time_range_clear.h"
#include "platform/system/quickdraw_random.h"
#include "shell/base/iteration_abort.h"
#include "shell/base/modifier_keys.h"
#include "song/events/utility_event_selection.h"
#include "song/model/clipboard_record.h"
#include "song/undo/undo_clipboard.h"
#include "song/undo/undo_ring.h"

namespace {

constexpr int32_t kCopyRackMode = 2;

// Opens the Cut's undo step: a record that keeps the clipboard as it was, left busy so that
// the clear (or Remove time) fills this same record. False when no record could be had.
bool OpenCutStep() {
  if (gClipboard) {
    if (KeepClipboardInUndo()) return true;
    if (IsUndoBusy()) DiscardOpenUndoRecord();  // the clipboard could not be kept
    return false;
  }
  UndoRecord* record = OpenUndoRecord();
  if (!record) return false;
  DisposeUndoRecord(record);
  SetUndoBusy(true);
  return true;
}

// Closes the step; a step that no edit filled (or a Cut that stopped early) is forgotten.
void CloseCutStep(bool ran) {
  SetUndoBusy(false);
  UndoRecord* record = GetCurrentUndoRecord();
  if (!ran || !record || !record->ownerSong) {
    DiscardOpenUndoRecord();
    return;
  }
  SetCurrentUndoKind(kUndoKindCut);
}

}  // namespace

void CutSelection() {
  if (!OpenCutStep()) return;
  SInt32 seed = GetQDGlobalsRandomSeed();
  gIterationAbort = 0;
  CopyToClipboard(0, kCopyRackMode);
  if (gIterationAbort || (gEditContextKind != kContextInstruments && !HasTimeSelection())) {
    CloseCutStep(false);
    return;
  }
  SetQDGlobalsRandomSeed(seed);
  if (IsOptionModifierDown()) {
    RemoveTime(IsEditorContext(), false, kUndoKindCut);
  } else {
    ClearRequest request;
    ClearInContext(&request, kUndoKindCut);
  }
  CloseCutStep(true);
}
