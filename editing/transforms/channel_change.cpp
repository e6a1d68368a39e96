// Change channel and its "chn" dialog.
#include "editing/transforms/channel_change.h"

#include <algorithm>

#include "editing/edit_context.h"
#include "editing/event_cursor.h"
#include "editing/transforms/transform_frame.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog_arrows.h"
#include "shell/dialogs/nib_dialog_text.h"
#include "song/events/event_filter_slots.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/track_iterators.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

uint32_t gRememberedChannel = 0;

namespace {

constexpr int16_t kChannelHelpTopic = 513;
constexpr int32_t kChannelField = 3;
constexpr int32_t kChannelArrows = 4;

// Only channel messages carry a channel: a system status's low nibble names the message, and
// records below 0x80 (data, references) keep their status as it is.
bool HasChannel(const uint8_t* event) {
  uint8_t kind = SeqEventKind(event);
  return kind >= 0x80 && kind < kKindSystem;
}

int32_t ChangeEventChannel(uint8_t* event, void*) {
  if (!HasChannel(event) || !CopyFilterTakesEvent()) return 0;
  gEventChannel = uint8_t(gRememberedChannel & 0x0F);
  InitCurrentEventHeader(SeqEventTime(event));
  return 0;
}

int32_t RunChannelStep(void*) {
  SetCurrentUndoKind(kUndoKindChangeChannel);
  ForEachTrackWithEvents(ChangeTrackChannel, nullptr);
  return 0;
}

OSStatus HandleChannelDialogEvent(EventHandlerCallRef callRef, EventRef event, void* data) {
  TransformDialog* d = static_cast<TransformDialog*>(data);
  UInt32 command = 0;
  OSStatus result = BeginTransformEvent(callRef, event, d, kTransformEndsAtOnce, &command);
  if (result != kTransformCommandPending) return result;
  if (command == kHICommandOK) {
    int32_t typed = GetDialogNumber(d->base.window, kChannelField) - 1;
    gRememberedChannel = uint32_t(std::clamp(typed, 0, 15));
    return noErr;
  }
  if (command == kHICommandCancel) return noErr;
  if (command == UInt32(kChannelField)) {
    gDialogFocusItem = command;
    return noErr;
  }
  return eventNotHandledErr;
}

}  // namespace

int32_t ChangeTrackChannel(void*) { return WalkTransformRange(ChangeEventChannel, nullptr); }

bool ChangeChannel() {
  if (!RunUndoableEdit(RunChannelStep)) return false;
  InvalidateEditorWindow();
  RedrawEventListWindow();
  SetSongModified();
  return true;
}

void OpenChannelDialog() {
  TransformDialog d;
  if (CreateTransformDialog("chn", &d, HandleChannelDialogEvent, kChannelHelpTopic) == noErr) {
    SetDialogFieldNumber(&d.base, int32_t(gRememberedChannel) + 1, kChannelField);
    InstallTransformArrows(&d, kChannelArrows, StepDialogArrowField);
    if (RunTransformDialog(&d, kChannelField)) ChangeChannel();
  }
  DisposeNibDialog(&d.base);
}
