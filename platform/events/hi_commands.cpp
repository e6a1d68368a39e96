// HICommands: command events and their processing.
#include "platform/events/events_internal.h"

OSStatus CreateCommandEvent(UInt32 kind, const HICommandExtended* command, EventRef* outEvent) {
  if (!command || !outEvent) return paramErr;
  EventRef event = nullptr;
  OSStatus err = CreateEvent(nullptr, kEventClassCommand, kind, 0, kEventAttributeUserEvent, &event);
  if (err != noErr) return err;
  SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof *command, command);
  UInt32 modifiers = events_internal::CurrentModifiers();
  SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
  *outEvent = event;
  return noErr;
}

OSStatus ProcessHICommand(const HICommand* command) {
  if (!command) return paramErr;
  HICommandExtended extended;
  extended.attributes = command->attributes;
  extended.commandID = command->commandID;
  extended.source.menu = command->menu;
  EventRef event = nullptr;
  OSStatus err = CreateCommandEvent(kEventCommandProcess, &extended, &event);
  if (err != noErr) return err;
  err = SendEventToEventTarget(event, GetUserFocusEventTarget());
  ReleaseEvent(event);
  return err;
}
