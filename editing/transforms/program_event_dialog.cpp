#include "editing/transforms/program_event_dialog.h"

#include <algorithm>
#include <cstring>

#include "editing/event_cursor.h"
#include "editing/transforms/event_dialog_fields.h"
#include "editing/transforms/note_event_dialog.h"
#include "editing/transforms/transform_frame.h"
#include "platform/memory/memory.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog_arrows.h"
#include "shell/dialogs/nib_dialog_text.h"
#include "shell/dialogs/nib_dialog_views.h"
#include "song/events/event_filter_slots.h"
#include "song/events/event_lists.h"
#include "song/events/event_sort.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_length.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

namespace {

constexpr int16_t kProgramEventHelpTopic = 577;

struct ProgramEventDialog {
  TransformDialog frame;
  EventMeter meter;
};

int32_t gProgramFieldValues[5];
TransformField gProgramFields[5] = {
    {kProgramBarField, 1, 9999, &gProgramFieldValues[0]},
    {kProgramBeatField, 1, 4, &gProgramFieldValues[1]},
    {kProgramTickField, 0, 480, &gProgramFieldValues[2]},
    {kProgramChannelField, 1, 16, &gProgramFieldValues[3]},
    {kProgramNumberField, 0, 127, &gProgramFieldValues[4]},
};

uint8_t* ProgramEventAt(int32_t offset) {
  Handle list = GetCurrentTrackEventList();
  if (!list || offset < 0 || offset + kShortEventSize > GetHandleSize(list)) return nullptr;
  uint8_t* e = reinterpret_cast<uint8_t*>(HandleData(list)) + offset;
  return SeqEventKind(e) == kKindProgram ? e : nullptr;
}

void StepProgramArrows(ControlRef control, ControlPartCode part) { StepTransformArrowField(control, part, gProgramFields, 5); }

OSStatus HandleProgramEventEvent(EventHandlerCallRef callRef, EventRef event, void* data) {
  auto* d = static_cast<ProgramEventDialog*>(data);
  UInt32 command = 0;
  OSStatus result = BeginTransformEvent(callRef, event, &d->frame, kTransformEndsAtOnce, &command);
  if (result != kTransformCommandPending) return result;
  if (FocusTransformField(command, gProgramFields, 5)) return noErr;
  if (command == kNoteDeleteCommand) {
    d->frame.base.endCommand = command;
    QuitAppModalLoopForWindow(d->frame.base.window);
    return noErr;
  }
  return eventNotHandledErr;
}

void FillProgramFields(ProgramEventDialog* d) {
  const uint8_t* t = gEventTemplate;
  d->meter = GetEventMeter(SeqEventTime(t));
  gProgramFields[1].max = d->meter.beatsPerBar;
  gProgramFields[2].max = d->meter.ticksPerBeat;
  WriteTimeFields(&d->frame.base, SeqEventTime(t), kProgramBarField);
  SetDialogFieldNumber(&d->frame.base, (t[kEventStatus] & 0x0F) + 1, kProgramChannelField);
  SetDialogFieldNumber(&d->frame.base, t[kEventData1] & 0x7F, kProgramNumberField);
}

void ReadProgramTemplate(ProgramEventDialog* d) {
  WindowRef w = d->frame.base.window;
  char buffers[3][256];
  int32_t tick = ReadTimeTexts(ReadBarBeatTickFields(w, kProgramBarField, buffers), d->meter);
  uint8_t* t = gEventTemplate;
  t[kEventData1] = uint8_t(ClampFieldValue(GetDialogNumber(w, kProgramNumberField), 0, 127));
  gEventCommand = kKindProgram;
  gEventChannel = uint8_t(ClampFieldValue(GetDialogNumber(w, kProgramChannelField), 1, 16) - 1);
  InitSeqEventHeader(t, uint32_t(tick));
}

struct ProgramEdit {
  uint32_t command;
  int32_t offset;
};

int32_t EditProgram(void* context) {
  const auto* edit = static_cast<const ProgramEdit*>(context);
  uint8_t* event = ProgramEventAt(edit->offset);
  if (!event || BeginTrackEdit() != noErr) return 0;
  if (edit->command == kNoteDeleteCommand) {
    SetCurrentUndoKind(kUndoKindDeleteNote);
    RemoveCursorEvent(event);
  } else {
    SetCurrentUndoKind(kUndoKindNoteEvent);
    std::memcpy(event, gEventTemplate, kShortEventSize);
    SortTrackEvents();
  }
  EndTrackEdit();
  if (edit->command != kNoteDeleteCommand) TrackLengthAtLeast(SeqEventTime(gEventTemplate));
  return 0;
}

}  // namespace

int32_t ApplyProgramEventCommand(uint32_t command, int32_t offset) {
  if (command != kHICommandOK && command != kNoteDeleteCommand) return 0;
  ProgramEdit edit{command, offset};
  if (!RunUndoableEditForCurrentTrack(EditProgram, &edit)) return 0;
  SetSongModified();
  UpdateSongEnd();
  InvalidateEditorWindow();
  RedrawEventListWindow();
  return 1;
}

uint32_t OpenProgramEventDialog(int32_t offset) {
  uint8_t* event = ProgramEventAt(offset);
  if (!event) return 0;
  std::memcpy(gEventTemplate, event, kShortEventSize);
  ProgramEventDialog d;
  uint32_t command = 0;
  if (CreateTransformDialog("ProgramEvent", &d.frame, HandleProgramEventEvent, kProgramEventHelpTopic) == noErr) {
    FillProgramFields(&d);
    InstallTransformArrows(&d.frame, kProgramArrows, StepProgramArrows);
    RunTransformDialog(&d.frame, kProgramNumberField);
    command = d.frame.base.endCommand;
    if (command == kHICommandOK || command == kNoteDeleteCommand) ReadProgramTemplate(&d);
  }
  DisposeNibDialog(&d.frame.base);
  ApplyProgramEventCommand(command, offset);
  return command;
}
