// The common event handling of nib dialogs, the field handler and the dialog cursor.
#include "shell/dialogs/nib_dialog_events.h"

#include "platform/events/classic_events.h"
#include "platform/quickdraw/cursors.h"
#include "platform/quickdraw/quickdraw.h"
#include "sequencer/midi/realtime_processors.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/event_dispatch_hooks.h"
#include "shell/dialogs/nib_dialog_text.h"
#include "shell/dialogs/nib_dialog_views.h"
#include "shell/dialogs/value_fields.h"
#include "shell/windows/context_help.h"

namespace {

// The application's handler; not installed, the event is not handled.
OSStatus PassToApplicationHandler(EventHandlerCallRef callRef, EventRef event) {
  if (!gEventDispatchHooks.handleApplicationEvent) return eventNotHandledErr;
  return gEventDispatchHooks.handleApplicationEvent(callRef, event, nullptr);
}

OSStatus ReadEventCommand(EventRef event, HICommand* command) {
  return GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr,
                           sizeof *command, nullptr, command);
}

OSStatus HandleDialogCommand(EventRef event, NibDialog* dialog, int32_t endOnOkCancel) {
  if (GetEventKind(event) != kEventCommandProcess) return paramErr;
  HICommand command;
  OSStatus err = ReadEventCommand(event, &command);
  if (err != noErr) return err;
  dialog->command = command;
  gDialogItemHit = int16_t(command.commandID & 0xFFFF);
  if (command.commandID == kNibHelpCommand) {
    OpenHelpTopic(dialog->helpId);
    return noErr;
  }
  if ((command.commandID == kHICommandOK || command.commandID == kHICommandCancel) &&
      endOnOkCancel) {
    dialog->endCommand = command.commandID;
    QuitAppModalLoopForWindow(dialog->window);
  }
  return eventNotHandledErr;
}

ControlRef EventControl(EventRef event) {
  ControlRef control = nullptr;
  GetEventParameter(event, kEventParamDirectObject, typeControlRef, nullptr, sizeof control,
                    nullptr, &control);
  return control;
}

bool IsStaticText(ControlRef control) {
  ControlKind kind;
  return GetControlKind(control, &kind) == noErr && kind.kind == kControlKindStaticText;
}

OSStatus SendCommandId(UInt32 id) {
  HICommand command;
  command.commandID = id;
  return ProcessHICommand(&command);
}

}  // namespace

OSStatus HandleNibDialogEvent(EventHandlerCallRef callRef, EventRef event, NibDialog* dialog,
                              int32_t endOnOkCancel) {
  if (!dialog) return paramErr;
  dialog->command.commandID = 0;
  switch (GetEventClass(event)) {
    case kEventClassMouse:
      if (GetEventKind(event) == kEventMouseWheelMoved)
        return PassToApplicationHandler(callRef, event);
      return eventNotHandledErr;
    case kEventClassWindow:
      if (GetEventKind(event) != kEventWindowCursorChange) return eventNotHandledErr;
      HandleNibDialogCursorEvent(event);
      return noErr;
    case kEventClassCommand:
      return HandleDialogCommand(event, dialog, endOnOkCancel);
    default:
      return eventNotHandledErr;
  }
}

OSStatus HandleDialogOkCancel(EventRef event) {
  if (GetEventClass(event) != kEventClassCommand) return eventNotHandledErr;
  HICommand command;
  if (ReadEventCommand(event, &command) != noErr) return eventNotHandledErr;
  if (command.commandID == kHICommandOK || command.commandID == kHICommandCancel) return noErr;
  return eventNotHandledErr;
}

bool SetDialogFocusId(NibDialog*, int32_t id) {
  CommitValueFieldEdit();
  bool changed = gDialogFocusItem != uint32_t(id);
  gDialogFocusItem = uint32_t(id);
  return changed;
}

OSStatus HandleDialogControlEvent(EventHandlerCallRef, EventRef event, void* data) {
  NibDialog* dialog = static_cast<NibDialog*>(data);
  ControlRef control = EventControl(event);
  if (!dialog || !control || GetEventClass(event) != kEventClassControl) return eventNotHandledErr;
  if (GetEventKind(event) == kEventControlSetFocusPart) {
    ControlPartCode part = kControlNoPart;
    GetEventParameter(event, kEventParamControlPart, typeControlPartCode, nullptr, sizeof part,
                      nullptr, &part);
    ControlID id;
    if (part == kControlNoPart || IsStaticText(control) || GetControlID(control, &id) != noErr)
      return eventNotHandledErr;
    if (SetDialogFocusId(dialog, id.id)) SendCommandId(UInt32(id.id));
    return eventNotHandledErr;
  }
  if (GetEventKind(event) == kEventControlClick && IsStaticText(control)) {
    UInt32 commandId = 0;
    GetControlCommandID(control, &commandId);
    if (SendCommandId(commandId) == noErr) return noErr;
  }
  return eventNotHandledErr;
}

OSStatus InstallDialogFieldHandler(ControlRef control, EventHandlerUPP handler, int slot,
                                   NibDialog* dialog) {
  static const EventTypeSpec kFieldEvents[] = {
      {kEventClassControl, kEventControlSetFocusPart},
      {kEventClassControl, kEventControlClick},
  };
  if (slot < 0 || slot >= kMaxHookedFields) return paramErr;
  return InstallEventHandler(GetControlEventTarget(control), handler,
                             GetEventTypeCount(kFieldEvents), kFieldEvents, dialog,
                             &dialog->fieldHandlerRefs[slot]);
}

bool ServeNibDialogWheel(int32_t delta) {
  NibDialog* dialog = gCurrentNibDialog;
  if (!dialog || !dialog->actionUPP || !dialog->actionControl) return false;
  UInt32 command = delta >= 0 ? kArrowUpCommand : kArrowDownCommand;
  dialog->actionUPP(dialog->actionControl, ControlPartCode(command));
  return true;
}

void HandleNibDialogCursorEvent(EventRef event) {
  WindowRef window = nullptr;
  Point where{0, 0};
  UInt32 modifiers = 0;
  GetEventParameter(event, kEventParamDirectObject, typeWindowRef, nullptr, sizeof window,
                    nullptr, &window);
  GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where,
                    nullptr, &where);
  GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers,
                    nullptr, &modifiers);
  if (window) UpdateDialogCursor(window, where, modifiers, false);
}

void UpdateDialogCursor(WindowRef window, Point point, UInt32 modifiers, bool isLocal) {
  if (!window || window != FrontWindow()) return;
  SetPortWindowPort(window);
  if (!isLocal) GlobalToLocal(&point);
  ControlRef control = nullptr;
  FindControl(point, window, &control);
  if (control) {
    Boolean cursorWasSet = false;
    HandleControlSetCursor(control, point, EventModifiers(modifiers), &cursorWasSet);
    if (cursorWasSet) return;
    UInt32 features = 0;
    GetControlFeatures(control, &features);
    if (features & kControlSupportsFocus) {
      SetThemeCursor(kThemeIBeamCursor);
      return;
    }
  }
  SetThemeCursor(kThemeArrowCursor);
}

void TrackNibDialogCursor(NibDialog* dialog) {
  if (!dialog->window || dialog->window != FrontWindow()) return;
  SetPortWindowPort(dialog->window);
  Point mouse;
  GetMouse(&mouse);
  UpdateDialogCursor(dialog->window, mouse, 0, true);
}

void NibDialogNoteInputIdle(NibDialog* dialog) {
  TrackNibDialogCursor(dialog);
  if (gDialogFocusItem == 0 || !dialog->window || !gRealtimeProcessors) return;
  uint8_t note = 0, velocity = 0;
  uint32_t tick = 0;
  if (!ReadProcessorNote(nullptr, &note, &velocity, &tick)) return;
  SetDialogNoteName(dialog, note, int32_t(gDialogFocusItem));
  SelectDialogField(dialog->window, int32_t(gDialogFocusItem));
}
