#include "editing/edit_commands.h"

#include "shell/base/error_report.h"
#include "song/events/utility_event_selection.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_ring.h"

namespace {

constexpr int16_t kUndoItem = 1;
constexpr int16_t kRedoItem = 2;
constexpr OSStatus kNotHandled = -9874;

OSStatus Report(OSErr err) {
  if (err != noErr) ReportError(err);
  return noErr;
}

}  // namespace

OSStatus DoEditMenuItem(int16_t item) {
  switch (item) {
    case kUndoItem: return CanUndo() ? Report(UndoLastEdit()) : kNotHandled;
    case kRedoItem: return CanRedo() ? Report(RedoEdit()) : kNotHandled;
    default: return kNotHandled;
  }
}

void DoTransformMenuItem(int16_t, int32_t) {}

void HandleMenu69(int16_t) {}

bool RequireTimeSelection() {
  if (HasTimeSelection()) return true;
  ReportAppErrorText(kNoTimeSelectionText);
  return false;
}

void RunRfilterDialog() {}
void RunRpsetDialog() {}
void RunNudgeDialog() {}
void RunOptions18Dialog() {}
