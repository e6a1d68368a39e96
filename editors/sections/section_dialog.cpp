#include "editors/sections/section_dialog.h"

#include <algorithm>

#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog.h"
#include "shell/dialogs/nib_dialog_events.h"
#include "shell/dialogs/nib_dialog_text.h"
#include "shell/dialogs/nib_dialog_views.h"
#include "song/events/time_selection.h"
#include "song/events/utility_event_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_sections.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

namespace {

constexpr int32_t kSectionUndoKind = 0;  // "Edit"

struct SectionDialog {
  NibDialog base;
};

struct SectionEdit {
  bool isNew;
  int32_t index;
  SectionDialogValues values;
};

int32_t AddSectionEdit(void* context) {
  const auto* e = static_cast<const SectionEdit*>(context);
  uint32_t start = uint32_t(std::max(e->values.start, 1));
  uint32_t end = uint32_t(std::max(e->values.end, 0));
  uint32_t count = e->values.endless ? 0 : uint32_t(std::max(e->values.count, 0));
  AddSection(start, end, count, e->isNew, e->index);
  InvalidateEditorWindow();
  return 0;
}

void WriteFields(SectionDialog* d, const SectionDialogValues& v) {
  WindowRef w = d->base.window;
  SetDialogFieldNumber(&d->base, v.start, kSectionStartField);
  SetDialogFieldNumber(&d->base, v.end, kSectionEndField);
  SetDialogFieldNumber(&d->base, v.count, kSectionRepeatField);
  SetDialogRadioGroup(w, kSectionCountedRadio, kSectionEndlessRadio,
                      v.endless ? kSectionEndlessRadio : kSectionCountedRadio);
}

SectionDialogValues ReadFields(SectionDialog* d) {
  WindowRef w = d->base.window;
  SectionDialogValues v;
  v.start = GetDialogNumber(w, kSectionStartField);
  v.end = GetDialogNumber(w, kSectionEndField);
  v.count = GetDialogNumber(w, kSectionRepeatField);
  v.endless = GetDialogViewValue(w, kSectionEndlessRadio) != 0;
  return v;
}

OSStatus HandleSectionDialogEvent(EventHandlerCallRef callRef, EventRef event, void* data) {
  auto* d = static_cast<SectionDialog*>(data);
  OSStatus result = HandleNibDialogEvent(callRef, event, &d->base, 1);
  if (result == paramErr) return eventNotHandledErr;
  if (result != eventNotHandledErr || GetEventClass(event) != kEventClassCommand) return result;
  UInt32 command = d->base.command.commandID;
  if (command == UInt32(kSectionCountedRadio) || command == UInt32(kSectionEndlessRadio)) {
    SetDialogRadioGroup(d->base.window, kSectionCountedRadio, kSectionEndlessRadio, int32_t(command));
    return noErr;
  }
  if (command == UInt32(kSectionRepeatField) || command == UInt32(kSectionStartField) ||
      command == UInt32(kSectionEndField)) {
    gDialogFocusItem = command;
    return noErr;
  }
  return eventNotHandledErr;
}

}  // namespace

SectionDialogValues GetSectionDialogDefaults(bool isNew, int32_t index) {
  SectionDialogValues v;
  SectionFields f;
  Handle list = gCurrentTrack ? GetTrackSectionList(gCurrentTrack) : Handle();
  if (!isNew && GetSectionFields(list, index, &f)) {
    v.start = int32_t(std::min<uint32_t>(f.start, INT32_MAX));
    v.end = int32_t(std::min<uint32_t>(f.end, INT32_MAX));
    v.count = int32_t(std::min<uint32_t>(f.count, INT32_MAX));
    v.endless = f.count == 0;
  } else if (HasTimeSelection()) {
    v.start = int32_t(gTimeSelection.start.tick);
    v.end = int32_t(gTimeSelection.end.tick);
  } else {
    v.end = gCurrentSong ? int32_t(std::min<uint32_t>(ReadU32BE(gCurrentSong + kSongEndTick), INT32_MAX)) : 1;
  }
  return v;
}

int32_t ApplySectionDialog(bool isNew, int32_t index, const SectionDialogValues& values) {
  SectionEdit edit{isNew, index, values};
  int32_t ran = isNew ? RunUndoableEdit(AddSectionEdit, &edit) : RunUndoableEditForCurrentTrack(AddSectionEdit, &edit);
  if (ran) SetCurrentUndoKind(kSectionUndoKind);
  return ran;
}

int32_t RunSectionDialog(bool isNew, int32_t index) {
  SectionDialog d;
  OSStatus err = CreateNibDialog("tloop", &d.base, HandleSectionDialogEvent, 0);
  int32_t result = err;
  if (err == noErr) {
    NewNibDialogEventUPP(&d.base);
    WriteFields(&d, GetSectionDialogDefaults(isNew, index));
    gDialogFocusItem = kSectionRepeatField;
    result = RunNibDialogModal(&d.base, kSectionRepeatField, TrackNibDialogCursor);
    if (result == 1) ApplySectionDialog(isNew, index, ReadFields(&d));
  }
  DisposeNibDialog(&d.base);
  return result;
}
