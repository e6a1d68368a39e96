// What the dialog toolkit asks of the application's event dispatch: the events a modal loop
// polls that belong to no dialog, and the Carbon events a nib dialog passes on. Installed by
// the application at start-up (InstallEventDispatchHooks in shell/app/app_events.h); an
// entry not installed does nothing.
#pragma once

#include <cstdint>

#include "platform/events/carbon_events.h"
#include "platform/events/classic_events.h"

struct EventDispatchHooks {
  // The main dispatcher for a classic event record. Main thread.
  int32_t (*dispatchEventRecord)(EventRecord* event);
  // A suspend or resume event polled by a modal loop; nothing while the program quits.
  void (*serveSuspendResume)(EventRecord* event);
  // The application's own Carbon event handler. Main thread.
  OSStatus (*handleApplicationEvent)(EventHandlerCallRef next, EventRef event, void* refcon);
};
extern EventDispatchHooks gEventDispatchHooks;
