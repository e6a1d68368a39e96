#include "editing/transforms/note_event_dialog.h"

#include <algorithm>
#include <cstring>

#include "editing/event_cursor.h"
#include "editing/transforms/event_dialog_fields.h"
#include "editing/transforms/transform_frame.h"
#include "editors/note_entry/note_audition.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/ports.h"
#include "shell/base/app_strings.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/drawn_popups.h"
#include "shell/dialogs/nib_dialog_arrows.h"
#include "shell/dialogs/nib_dialog_events.h"
#include "shell/dialogs/nib_dialog_text.h"
#include "shell/dialogs/nib_dialog_views.h"
#include "shell/dialogs/note_names.h"
#include "song/conductor/timebase.h"
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

constexpr int16_t kNoteEventHelpTopic = 571;
constexpr uint8_t kVelocityHighBit = 0x80;
constexpr int32_t kSpellingShift = 4;
constexpr uint8_t kSpellingMask = 0x70;
const char* const kLengthNames[kNoteValueCount] = {
    "Whole", "Dotted half", "Whole triplet", "Half", "Dotted quarter", "Half triplet",
    "Quarter", "Dotted eighth", "Quarter triplet", "Eighth", "Dotted 16th", "Eighth triplet",
    "16th", "Dotted 32nd", "16th triplet", "32nd", "32nd triplet", "64th"};

struct NoteEventDialog {
  TransformDialog frame;
  EventMeter meter;
  uint8_t velocityHighBit;
  EventHandlerRef pointWatch[2];
};

uint8_t* EventAtOffset(int32_t offset) {
  Handle list = GetCurrentTrackEventList();
  if (!list || offset < 0 || offset + kLongEventSize > GetHandleSize(list)) return nullptr;
  return reinterpret_cast<uint8_t*>(HandleData(list)) + offset;
}

struct FieldLimits {
  int32_t min;
  int32_t max;
};

FieldLimits LimitsOf(int32_t id, const EventMeter& m) {
  switch (id) {
    case kNoteBarField: return {1, 9999};
    case kNoteBeatField: return {1, m.beatsPerBar};
    case kNoteLengthBeatsField: return {0, m.beatsPerBar};
    case kNoteTickField:
    case kNoteLengthTicksField: return {0, m.ticksPerBeat};
    case kNoteLengthBarsField: return {0, 65535 / m.ticksPerBar};
    case kNoteChannelField: return {1, 16};
    case kNoteWholeTime: return {0, 0x7fffffff};
    case kNoteWholeLength: return {0, 65535};
    default: return {0, 127};
  }
}

int32_t ReadClamped(WindowRef w, int32_t id, const EventMeter& m) {
  FieldLimits l = LimitsOf(id, m);
  return ClampFieldValue(GetDialogNumber(w, id), l.min, l.max);
}

int32_t ReadWholeTime(NoteEventDialog* d) {
  char buffers[3][256];
  return ReadTimeTexts(ReadBarBeatTickFields(d->frame.base.window, kNoteBarField, buffers), d->meter);
}

int32_t ReadWholeLength(NoteEventDialog* d) {
  char buffers[3][256];
  return ReadDurationTexts(ReadBarBeatTickFields(d->frame.base.window, kNoteLengthBarsField, buffers), d->meter);
}

void ShowHighBitTexts(NoteEventDialog* d) {
  WindowRef w = d->frame.base.window;
  static const unsigned char kSet1[] = "\x0d" "Velocity flag";
  static const unsigned char kSet2[] = "\x03" "set";
  static const unsigned char kEmpty[] = "";
  bool set = d->velocityHighBit != 0;
  SetDialogText(w, set ? kSet1 : kEmpty, kNoteHighBitText1);
  SetDialogText(w, set ? kSet2 : kEmpty, kNoteHighBitText2);
}

void FillNoteFields(NoteEventDialog* d) {
  NibDialog* b = &d->frame.base;
  const uint8_t* t = gEventTemplate;
  d->meter = GetEventMeter(SeqEventTime(t));
  WriteTimeFields(b, SeqEventTime(t), kNoteBarField);
  SetDialogText(b->window, MakeNoteName(nullptr, t[kEventData1] & 0x7F, (t[kEventFlags] & kSpellingMask) >> kSpellingShift),
                kNotePitchField);
  SetDialogFieldText(b, gStringBuffer, kNotePitchField);
  d->velocityHighBit = t[kEventData2] & kVelocityHighBit;
  SetDialogFieldNumber(b, t[kEventData2] & 0x7F, kNoteVelocityField);
  WriteDurationFields(b, GetNoteDuration(t), d->meter, kNoteLengthBarsField);
  SetDialogFieldNumber(b, (t[kEventStatus] & 0x0F) + 1, kNoteChannelField);
  SetDialogFieldNumber(b, t[kEventData3] & 0x7F, kNoteReleaseField);
  ShowHighBitTexts(d);
}

// The template from the fields: time, channel, velocity (its flag kept), release velocity,
// duration and pitch; status a note-on on the channel.
void ReadNoteTemplate(NoteEventDialog* d) {
  WindowRef w = d->frame.base.window;
  uint8_t* t = gEventTemplate;
  int32_t tick = ReadWholeTime(d);
  int32_t channel = ReadClamped(w, kNoteChannelField, d->meter) - 1;
  t[kEventData2] = uint8_t(d->velocityHighBit | ReadClamped(w, kNoteVelocityField, d->meter));
  t[kEventData3] = uint8_t(ReadClamped(w, kNoteReleaseField, d->meter));
  SetNoteDuration(t, uint16_t(ReadWholeLength(d)));
  GetDialogText(w, kNotePitchField);
  int32_t note = ParseNoteOrNumber(gStringBuffer, nullptr);
  if (note != kNoNote) t[kEventData1] = uint8_t(ClampFieldValue(note, 0, 127));
  t[kEventKindMarker] = kLongMarker;
  gEventCommand = kKindNote;
  gEventChannel = uint8_t(channel);
  InitSeqEventHeader(t, uint32_t(tick));
}

// The arrows: one unit of the focused field; on the bar and beat fields a bar or a beat of
// ticks added to the whole time or duration, which is split again.
void StepNoteArrows(ControlRef control, ControlPartCode part) {
  auto* d = static_cast<NoteEventDialog*>(GetControlReference(control));
  int32_t delta = ArrowPartToDelta(part);
  if (!d || delta == 0) return;
  int32_t focus = int32_t(gDialogFocusItem);
  NibDialog* b = &d->frame.base;
  bool time = focus == kNoteBarField || focus == kNoteBeatField;
  bool length = focus == kNoteLengthBarsField || focus == kNoteLengthBeatsField;
  if (time || length) {
    int32_t unit = (focus == kNoteBarField || focus == kNoteLengthBarsField) ? d->meter.ticksPerBar : d->meter.ticksPerBeat;
    FieldLimits l = LimitsOf(time ? kNoteWholeTime : kNoteWholeLength, d->meter);
    int64_t whole = int64_t(time ? ReadWholeTime(d) : ReadWholeLength(d)) + int64_t(delta) * unit;
    int32_t v = int32_t(std::clamp<int64_t>(whole, std::max(l.min, time ? 1 : 0), l.max));
    if (time) WriteTimeFields(b, uint32_t(v), kNoteBarField);
    else WriteDurationFields(b, v, d->meter, kNoteLengthBarsField);
  } else if (focus == kNotePitchField) {
    StepDialogMidiValue(b, kNotePitchField, part, false);
    return;
  } else {
    FieldLimits l = LimitsOf(focus, d->meter);
    SetDialogFieldNumber(b, std::clamp(GetDialogNumber(b->window, focus) + delta, l.min, l.max), focus);
  }
  SelectDialogField(b->window, focus);
}

// The duration pop-up: the grid note values, the one nearest the duration marked.
void ChooseLengthFromMenu(NoteEventDialog* d) {
  int32_t length = ReadWholeLength(d);
  int32_t nearest = 0;
  for (int32_t i = 1; i < kNoteValueCount; ++i)
    if (std::abs(gNoteValueTicks[i] - length) < std::abs(gNoteValueTicks[nearest] - length)) nearest = i;
  // The corner is taken in the dialog's port: building the pop-up makes its own port current.
  ControlRef field = nullptr;
  Point where{0, 0};
  if (FindDialogView(d->frame.base.window, kNoteLengthBarsField, &field) == noErr) {
    Rect r;
    GetControlBounds(field, &r);
    where = {r.bottom, r.left};
    ConvertViewPointToPort(d->frame.base.window, field, &where);
    LocalToGlobal(&where);
  }
  BeginPopUpMenu();
  for (const char* name : kLengthNames) {
    Str255 text;
    text[0] = uint8_t(std::strlen(name));
    std::memcpy(text + 1, name, text[0]);
    AddPopUpItem(text);
  }
  if (PopUpMenuAtPoint(where.v, where.h, nearest) && gPopUpChoice >= 0 && gPopUpChoice < kNoteValueCount)
    WriteDurationFields(&d->frame.base, std::min(gNoteValueTicks[gPopUpChoice], 65535), d->meter, kNoteLengthBarsField);
}

// A '.' typed into a bar field makes the fields behind it empty.
OSStatus ClearBehindDecimalBars(EventHandlerCallRef, EventRef event, void* data) {
  auto* d = static_cast<NoteEventDialog*>(data);
  ControlRef control = nullptr;
  GetEventParameter(event, kEventParamDirectObject, typeControlRef, nullptr, sizeof(control), nullptr, &control);
  WindowRef w = d->frame.base.window;
  for (int32_t first : {kNoteBarField, kNoteLengthBarsField}) {
    ControlRef field = nullptr;
    if (FindDialogView(w, first, &field) != noErr || field != control) continue;
    if (GetDialogText(w, first) != noErr || !std::memchr(gStringBuffer + 1, '.', gStringBuffer[0])) continue;
    static const unsigned char kEmpty[] = "";
    SetDialogText(w, kEmpty, first + 1);
    SetDialogText(w, kEmpty, first + 2);
  }
  return eventNotHandledErr;
}

void WatchDecimalBars(NoteEventDialog* d) {
  static const EventTypeSpec kTextChanged[] = {{kEventClassTextField, kEventTextDidChange}};
  int32_t ids[2] = {kNoteBarField, kNoteLengthBarsField};
  for (int32_t i = 0; i < 2; ++i) {
    ControlRef field = nullptr;
    d->pointWatch[i] = nullptr;
    if (FindDialogView(d->frame.base.window, ids[i], &field) == noErr)
      InstallEventHandler(GetControlEventTarget(field), ClearBehindDecimalBars, 1, kTextChanged, d, &d->pointWatch[i]);
  }
}

OSStatus HandleNoteEventEvent(EventHandlerCallRef callRef, EventRef event, void* data) {
  auto* d = static_cast<NoteEventDialog*>(data);
  UInt32 command = 0;
  OSStatus result = BeginTransformEvent(callRef, event, &d->frame, kTransformEndsAtOnce, &command);
  if (result != kTransformCommandPending) return result;
  if (command >= UInt32(kNoteBarField) && command <= UInt32(kNoteReleaseField)) {
    gDialogFocusItem = command;
    return noErr;
  }
  if (command == UInt32(kNoteLengthMenuCommand)) {
    ChooseLengthFromMenu(d);
    return noErr;
  }
  if (command == kNoteDeleteCommand || command == kNoteDuplicateCommand) {
    d->frame.base.endCommand = command;
    QuitAppModalLoopForWindow(d->frame.base.window);
    return noErr;
  }
  return eventNotHandledErr;
}

struct NoteEdit {
  uint32_t command;
  int32_t offset;
};

int32_t EditNote(void* context) {
  const auto* edit = static_cast<const NoteEdit*>(context);
  uint8_t* event = EventAtOffset(edit->offset);
  if (!event || BeginTrackEdit() != noErr) return 0;
  SetCurrentUndoKind(edit->command == kNoteDeleteCommand ? kUndoKindDeleteNote : kUndoKindNoteEvent);
  if (edit->command == kNoteDeleteCommand) {
    RemoveCursorEvent(event);
  } else if (edit->command == kNoteDuplicateCommand) {
    InsertTemplateEvent(SeqEventTime(gEventTemplate));
  } else {
    std::memcpy(event, gEventTemplate, kLongEventSize);
    SortTrackEvents();
  }
  EndTrackEdit();
  if (edit->command != kNoteDeleteCommand)
    TrackLengthAtLeast(SeqEventTime(gEventTemplate) + std::max<uint32_t>(GetNoteDuration(gEventTemplate), 1) - 1);
  return 0;
}

}  // namespace

int32_t ApplyNoteEventCommand(uint32_t command, int32_t offset) {
  if (command != kHICommandOK && command != kNoteDeleteCommand && command != kNoteDuplicateCommand) return 0;
  SendTemplateNote();
  NoteEdit edit{command, offset};
  int32_t ran = RunUndoableEditForCurrentTrack(EditNote, &edit);
  if (!ran) return 0;
  SetSongModified();
  UpdateSongEnd();
  InvalidateEditorWindow();
  RedrawEventListWindow();
  return 1;
}

uint32_t OpenNoteEventDialog(int32_t offset) {
  uint8_t* event = EventAtOffset(offset);
  if (!event || SeqEventKind(event) != kKindNote) return 0;
  std::memcpy(gEventTemplate, event, kLongEventSize);
  NoteEventDialog d;
  d.pointWatch[0] = d.pointWatch[1] = nullptr;
  uint32_t command = 0;
  if (CreateTransformDialog("NoteEvent", &d.frame, HandleNoteEventEvent, kNoteEventHelpTopic) == noErr) {
    FillNoteFields(&d);
    InstallTransformArrows(&d.frame, kNoteArrows, StepNoteArrows);
    WatchDecimalBars(&d);
    gDialogFocusItem = kNotePitchField;
    RunNibDialogModal(&d.frame.base, kNotePitchField, NibDialogNoteInputIdle);
    command = d.frame.base.endCommand;
    if (command == kHICommandOK || command == kNoteDeleteCommand || command == kNoteDuplicateCommand)
      ReadNoteTemplate(&d);
  }
  for (EventHandlerRef watch : d.pointWatch)
    if (watch) RemoveEventHandler(watch);
  DisposeNibDialog(&d.frame.base);
  ApplyNoteEventCommand(command, offset);
  return command;
}
