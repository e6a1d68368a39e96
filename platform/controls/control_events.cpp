// Controls' Carbon events: each control's target and standard handler, the notifications the
// Control Manager sends, and the handlers it installs on windows with controls.
#include <unordered_map>
#include <vector>

#include "platform/controls/control_internal.h"
#include "platform/quickdraw/ports.h"
#include "platform/windows/windows.h"

namespace {

constexpr UInt32 kEventControlValueFieldChanged = 151;

std::unordered_map<WindowRef, EventHandlerRef> gWindowHandlers;

EventRef NewControlEvent(UInt32 eventClass, UInt32 kind, ControlRef control) {
  EventRef event = nullptr;
  if (CreateEvent(nullptr, eventClass, kind, 0, kEventAttributeNone, &event) != noErr) return nullptr;
  SetEventParameter(event, kEventParamDirectObject, typeControlRef, sizeof control, &control);
  return event;
}

void SendCommandFrom(ControlRef control) {
  HICommandExtended command;
  command.attributes = kHICommandFromControl;
  command.commandID = control->command;
  command.source.control = control;
  EventRef event = nullptr;
  if (CreateCommandEvent(kEventCommandProcess, &command, &event) != noErr) return;
  SendEventToEventTarget(event, control->target);
  ReleaseEvent(event);
}

Point EventMouseLocal(EventRef event, WindowRef window) {
  Point where;
  if (GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where,
                        nullptr, &where) != noErr)
    GetGlobalMouse(&where);
  if (CGrafPtr port = ControlWindowPort(window)) QDGlobalToLocalPoint(port, &where);
  return where;
}

UInt32 EventModifiersOf(EventRef event) {
  UInt32 modifiers = 0;
  if (GetEventParameter(event, kEventParamKeyModifiers, typeUInt32, nullptr, sizeof modifiers,
                        nullptr, &modifiers) != noErr)
    modifiers = GetCurrentKeyModifiers();
  return modifiers;
}

OSStatus ControlStandardHandler(EventHandlerCallRef, EventRef event, void* userData) {
  ControlRef control = static_cast<ControlRef>(userData);
  if (GetEventClass(event) != kEventClassControl || !IsLiveControl(control))
    return eventNotHandledErr;
  switch (GetEventKind(event)) {
    case kEventControlClick:
      HandleControlClick(control, EventMouseLocal(event, control->window),
                         EventModifiers(EventModifiersOf(event)), ControlOwnActionUPP());
      return noErr;
    case kEventControlHit:
      if (control->command) SendCommandFrom(control);
      return noErr;
    case kEventControlDraw:
      Draw1Control(control);
      return noErr;
    case kEventControlSetFocusPart:
      return noErr;
    default:
      return eventNotHandledErr;
  }
}

// A push button that answers Return (default) or Escape (cancel), shown and active.
ControlRef FindButton(WindowRef window, bool wantDefault) {
  std::vector<ControlRef> all;
  CollectWindowControls(window, &all);
  for (ControlRef c : all) {
    if (c->kind != CtlKind::kPushButton || !IsShown(c) || !IsActiveNow(c)) continue;
    if (wantDefault ? c->isDefault : c->isCancel) return c;
  }
  return nullptr;
}

bool PressButton(ControlRef button, UInt32 modifiers) {
  if (!button) return false;
  HiliteControl(button, kControlButtonPart);
  HiliteControl(button, kControlNoPart);
  SendControlHit(button, kControlButtonPart, EventModifiers(modifiers));
  return true;
}

OSStatus WindowKey(WindowRef window, EventRef event) {
  if (!ControlWindowWantsStandardHandling(window)) return eventNotHandledErr;
  char ch = 0;
  UInt32 keyCode = 0, modifiers = EventModifiersOf(event);
  GetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, nullptr, 1, nullptr, &ch);
  GetEventParameter(event, kEventParamKeyCode, typeUInt32, nullptr, sizeof keyCode, nullptr, &keyCode);
  UInt8 c = UInt8(ch);
  bool command = modifiers & cmdKey;
  if (c == kTabCharCode && !command) {
    OSErr err = (modifiers & shiftKey) ? ReverseKeyboardFocus(window) : AdvanceKeyboardFocus(window);
    return err == noErr ? OSStatus(noErr) : OSStatus(eventNotHandledErr);
  }
  if ((c == kReturnCharCode || c == kEnterCharCode) && !command)
    if (PressButton(FindButton(window, true), modifiers)) return noErr;
  if ((c == kEscapeCharCode && keyCode == kVK_Escape) || (command && c == '.'))
    if (PressButton(FindButton(window, false), modifiers)) return noErr;
  ControlRef focus = WindowFocusControl(window);
  if (focus && HandleControlKey(focus, SInt16(keyCode), c, EventModifiers(modifiers)) != kControlNoPart)
    return noErr;
  return eventNotHandledErr;
}

OSStatus WindowClick(WindowRef window, EventRef event) {
  ControlPartCode part = kControlNoPart;
  ControlRef control = FindControlUnderMouse(EventMouseLocal(event, window), window, &part);
  if (!control || !IsActiveNow(control)) return eventNotHandledErr;
  EventRef click = NewControlEvent(kEventClassControl, kEventControlClick, control);
  if (!click) return eventNotHandledErr;
  Point where;
  if (GetEventParameter(event, kEventParamMouseLocation, typeQDPoint, nullptr, sizeof where,
                        nullptr, &where) != noErr)
    GetGlobalMouse(&where);
  UInt32 modifiers = EventModifiersOf(event);
  SetEventParameter(click, kEventParamMouseLocation, typeQDPoint, sizeof where, &where);
  SetEventParameter(click, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
  SendEventToEventTarget(click, control->target);
  ReleaseEvent(click);
  return noErr;
}

OSStatus WindowControlsHandler(EventHandlerCallRef callRef, EventRef event, void* userData) {
  WindowRef window = static_cast<WindowRef>(userData);
  ControlRef root = WindowRootControl(window);
  if (!root) return eventNotHandledErr;
  if (GetEventClass(event) == kEventClassKeyboard) return WindowKey(window, event);
  switch (GetEventKind(event)) {
    case kEventWindowClickContentRgn:
      return WindowClick(window, event);
    case kEventWindowDrawContent:
      CallNextEventHandler(callRef, event);
      DrawControls(window);
      return noErr;
    case kEventWindowActivated:
      ActivateControl(root);
      return eventNotHandledErr;
    case kEventWindowDeactivated:
      DeactivateControl(root);
      return eventNotHandledErr;
    default:
      return eventNotHandledErr;
  }
}

}  // namespace

EventTargetRef NewControlTarget(ControlRef control) {
  EventTargetRef parent = control->parent ? control->parent->target : ControlWindowTarget(control->window);
  EventTargetRef target = NewEventTarget(parent, kEventTargetKindControl, control);
  SetEventTargetStandardHandler(target, ControlStandardHandler, control);
  InstallStandardEventHandler(target);
  return target;
}

void SendControlHit(ControlRef control, ControlPartCode part, EventModifiers modifiers) {
  EventRef event = NewControlEvent(kEventClassControl, kEventControlHit, control);
  if (!event) return;
  UInt32 mods = modifiers;
  SetEventParameter(event, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
  SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof mods, &mods);
  SendEventToEventTarget(event, control->target);
  ReleaseEvent(event);
}

OSStatus SendControlSetFocusPart(ControlRef control, ControlFocusPart part) {
  EventRef event = NewControlEvent(kEventClassControl, kEventControlSetFocusPart, control);
  if (!event) return memFullErr;
  SetEventParameter(event, kEventParamControlPart, typeControlPartCode, sizeof part, &part);
  OSStatus err = SendEventToEventTarget(event, control->target);
  ReleaseEvent(event);
  return err;
}

void SendControlValueChanged(ControlRef control) {
  if (EventRef event = NewControlEvent(kEventClassControl, kEventControlValueFieldChanged, control)) {
    SendEventToEventTarget(event, control->target);
    ReleaseEvent(event);
  }
}

void SendControlTextChanged(ControlRef control) {
  if (EventRef event = NewControlEvent(kEventClassTextField, kEventTextDidChange, control)) {
    SendEventToEventTarget(event, control->target);
    ReleaseEvent(event);
  }
}

void AttachWindowControlHandlers(WindowRef window) {
  static const EventTypeSpec kTypes[] = {
      {kEventClassWindow, kEventWindowClickContentRgn}, {kEventClassWindow, kEventWindowDrawContent},
      {kEventClassWindow, kEventWindowActivated},       {kEventClassWindow, kEventWindowDeactivated},
      {kEventClassKeyboard, kEventRawKeyDown},          {kEventClassKeyboard, kEventRawKeyRepeat}};
  EventTargetRef target = ControlWindowTarget(window);
  if (!target || gWindowHandlers.count(window)) return;
  EventHandlerRef handler = nullptr;
  if (InstallEventHandler(target, WindowControlsHandler, GetEventTypeCount(kTypes), kTypes, window,
                          &handler) == noErr)
    gWindowHandlers[window] = handler;
}

void DetachWindowControlHandlers(WindowRef window) {
  auto it = gWindowHandlers.find(window);
  if (it == gWindowHandlers.end()) return;
  RemoveEventHandler(it->second);
  gWindowHandlers.erase(it);
}
