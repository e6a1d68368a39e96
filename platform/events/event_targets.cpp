// Event targets, handler chains and dispatch.
//
// A target's handlers are kept in install order and called newest first, then the target's
// standard handler, then the parent's chain. Handlers and targets removed while an event is
// being sent are only marked, and freed when the outermost send returns, so that a chain
// position held by a running handler (its call ref) stays valid.
#include <algorithm>
#include <unordered_set>

#include "platform/events/events_internal.h"

struct OpaqueEventHandlerRef {
  EventHandlerUPP proc = nullptr;
  void* userData = nullptr;
  std::vector<EventTypeSpec> types;
  EventTargetRef target = nullptr;
  bool removed = false;
};

struct OpaqueEventTargetRef {
  EventTargetRef parent = nullptr;
  UInt32 ownerKind = 0;
  void* owner = nullptr;
  std::vector<EventHandlerRef> handlers;
  EventHandlerUPP standardProc = nullptr;
  void* standardData = nullptr;
  bool standardOn = false;
  bool disposed = false;
};

// A position in a chain: the target and the handler index (-1: its standard handler).
struct OpaqueEventHandlerCallRef {
  EventTargetRef target = nullptr;
  int position = 0;
  bool nextCalled = false;
};

namespace {

std::unordered_set<EventTargetRef> gTargets;
std::unordered_set<EventHandlerRef> gHandlers;
std::vector<EventTargetRef> gDeadTargets;
std::vector<EventHandlerRef> gDeadHandlers;
std::vector<EventRef> gDispatchStack;
int gDispatchDepth = 0;
EventTargetRef gUserFocus = nullptr;
EventRouterProcPtr gRouter = nullptr;

bool Matches(EventHandlerRef h, EventRef event) {
  for (const EventTypeSpec& t : h->types)
    if (t.eventClass == event->eventClass && t.eventKind == event->kind) return true;
  return false;
}

void DeleteTargetNow(EventTargetRef target) {
  for (EventHandlerRef h : target->handlers) delete h;
  delete target;
}

void SweepIfIdle() {
  if (gDispatchDepth > 0) return;
  for (EventHandlerRef h : gDeadHandlers) {
    auto& list = h->target->handlers;
    list.erase(std::remove(list.begin(), list.end(), h), list.end());
    delete h;
  }
  gDeadHandlers.clear();
  for (EventTargetRef t : gDeadTargets) DeleteTargetNow(t);
  gDeadTargets.clear();
}

// Runs the chain from (target, position) on; see CallNextEventHandler for the rule that a
// handler which called the next one gives the final answer.
OSStatus DispatchFrom(EventRef event, EventTargetRef target, int position) {
  for (EventTargetRef t = target; t;) {
    for (int pos = t->disposed ? -2 : position; pos >= -1; --pos) {
      EventHandlerUPP proc = nullptr;
      void* userData = nullptr;
      if (pos >= 0) {
        EventHandlerRef h = t->handlers[size_t(pos)];
        if (h->removed || !Matches(h, event)) continue;
        proc = h->proc;
        userData = h->userData;
      } else {
        if (!t->standardOn || !t->standardProc) continue;
        proc = t->standardProc;
        userData = t->standardData;
      }
      OpaqueEventHandlerCallRef call{t, pos, false};
      OSStatus result = proc(&call, event, userData);
      if (call.nextCalled || result != eventNotHandledErr) return result;
    }
    t = t->parent;
    if (t) position = int(t->handlers.size()) - 1;
  }
  return eventNotHandledErr;
}

EventTargetRef DefaultRoute(EventRef event) {
  switch (event->eventClass) {
    case kEventClassKeyboard:
    case kEventClassTextInput:
    case kEventClassCommand:
      return GetUserFocusEventTarget();
    default:
      return GetApplicationEventTarget();
  }
}

OSStatus RouteEvent(EventHandlerCallRef, EventRef event, void*) {
  EventTargetRef target = gRouter ? gRouter(event) : nullptr;
  if (!target || !IsValidEventTarget(target)) target = DefaultRoute(event);
  return SendEventToEventTarget(event, target);
}

OSStatus QuitCommandToAppleEvent() {
  AEAddressDesc self;
  ProcessSerialNumber psn{0, kCurrentProcess};
  AECreateDesc(typeProcessSerialNumber, &psn, sizeof psn, &self);
  AppleEvent quit;
  OSErr err = AECreateAppleEvent(kCoreEventClass, kAEQuitApplication, &self,
                                 kAutoGenerateReturnID, kAnyTransactionID, &quit);
  AEDisposeDesc(&self);
  if (err != noErr) return err;
  err = AEDispatchAppleEvent(&quit);
  AEDisposeDesc(&quit);
  return err == errAEEventNotHandled ? OSStatus(eventNotHandledErr) : OSStatus(err);
}

OSStatus StandardApplicationHandler(EventHandlerCallRef, EventRef event, void*) {
  switch (event->eventClass) {
    case kEventClassAppleEvent:
      if (event->kind == kEventAppleEvent) return events_internal::ProcessAppleEventOfEvent(event);
      break;
    case kEventClassApplication:
      if (event->kind == kEventAppQuit) {
        QuitApplicationEventLoop();
        return noErr;
      }
      break;
    case kEventClassCommand: {
      HICommand command;
      if (event->kind == kEventCommandProcess &&
          GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr,
                            sizeof command, nullptr, &command) == noErr &&
          command.commandID == kHICommandQuit)
        return QuitCommandToAppleEvent();
      break;
    }
  }
  return eventNotHandledErr;
}

EventTargetRef NewRootTarget(UInt32 kind, EventHandlerUPP standard) {
  EventTargetRef t = NewEventTarget(nullptr, kind, nullptr);
  t->standardProc = standard;
  t->standardOn = true;
  return t;
}

}  // namespace

namespace events_internal {

void DispatchQueuedEvent(EventRef event) {
  SendEventToEventTarget(event, GetEventDispatcherTarget());
}

const std::vector<EventRef>& DispatchStack() { return gDispatchStack; }

}  // namespace events_internal

EventTargetRef GetApplicationEventTarget() {
  static EventTargetRef target = NewRootTarget(kEventTargetKindApplication, StandardApplicationHandler);
  return target;
}

EventTargetRef GetEventDispatcherTarget() {
  static EventTargetRef target = NewRootTarget(kEventTargetKindOther, RouteEvent);
  return target;
}

EventTargetRef NewEventTarget(EventTargetRef parent, UInt32 ownerKind, void* owner) {
  EventTargetRef t = new OpaqueEventTargetRef;
  t->parent = IsValidEventTarget(parent) ? parent : nullptr;
  t->ownerKind = ownerKind;
  t->owner = owner;
  gTargets.insert(t);
  return t;
}

void DisposeEventTarget(EventTargetRef target) {
  if (!IsValidEventTarget(target) || target == GetApplicationEventTarget() ||
      target == GetEventDispatcherTarget())
    return;
  gTargets.erase(target);
  for (EventTargetRef t : gTargets)
    if (t->parent == target) t->parent = target->parent;
  if (gUserFocus == target) gUserFocus = nullptr;
  for (EventHandlerRef h : target->handlers) {
    gHandlers.erase(h);
    h->removed = true;
  }
  if (gDispatchDepth == 0) {
    DeleteTargetNow(target);
    return;
  }
  target->disposed = true;
  gDeadTargets.push_back(target);
}

Boolean IsValidEventTarget(EventTargetRef target) { return target && gTargets.count(target); }

EventTargetRef GetEventTargetParent(EventTargetRef target) {
  return IsValidEventTarget(target) ? target->parent : nullptr;
}

OSStatus SetEventTargetParent(EventTargetRef target, EventTargetRef parent) {
  if (!IsValidEventTarget(target) || (parent && !IsValidEventTarget(parent))) return paramErr;
  for (EventTargetRef p = parent; p; p = p->parent)
    if (p == target) return paramErr;  // would make a loop
  target->parent = parent;
  return noErr;
}

UInt32 GetEventTargetOwnerKind(EventTargetRef target) {
  return IsValidEventTarget(target) ? target->ownerKind : 0;
}

void* GetEventTargetOwner(EventTargetRef target) {
  return IsValidEventTarget(target) ? target->owner : nullptr;
}

void SetEventTargetStandardHandler(EventTargetRef target, EventHandlerUPP proc, void* userData) {
  if (!IsValidEventTarget(target)) return;
  target->standardProc = proc;
  target->standardData = userData;
}

OSStatus InstallStandardEventHandler(EventTargetRef target) {
  if (!IsValidEventTarget(target)) return paramErr;
  target->standardOn = true;
  return noErr;
}

OSStatus RemoveStandardEventHandler(EventTargetRef target) {
  if (!IsValidEventTarget(target)) return paramErr;
  if (target == GetApplicationEventTarget() || target == GetEventDispatcherTarget()) return noErr;
  target->standardOn = false;
  return noErr;
}

OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, ItemCount numTypes,
                             const EventTypeSpec* list, void* userData,
                             EventHandlerRef* outRef) {
  if (!IsValidEventTarget(target) || !handler || (numTypes && !list)) return paramErr;
  EventHandlerRef h = new OpaqueEventHandlerRef;
  h->proc = handler;
  h->userData = userData;
  h->types.assign(list, list + numTypes);
  h->target = target;
  target->handlers.push_back(h);
  gHandlers.insert(h);
  if (outRef) *outRef = h;
  return noErr;
}

OSStatus RemoveEventHandler(EventHandlerRef handler) {
  if (!handler || !gHandlers.count(handler)) return paramErr;
  gHandlers.erase(handler);
  handler->removed = true;
  gDeadHandlers.push_back(handler);
  SweepIfIdle();
  return noErr;
}

OSStatus AddEventTypesToHandler(EventHandlerRef handler, ItemCount numTypes,
                                const EventTypeSpec* list) {
  if (!handler || !gHandlers.count(handler) || (numTypes && !list)) return paramErr;
  for (ItemCount i = 0; i < numTypes; ++i) {
    bool present = false;
    for (const EventTypeSpec& t : handler->types)
      present |= t.eventClass == list[i].eventClass && t.eventKind == list[i].eventKind;
    if (!present) handler->types.push_back(list[i]);
  }
  return noErr;
}

OSStatus RemoveEventTypesFromHandler(EventHandlerRef handler, ItemCount numTypes,
                                     const EventTypeSpec* list) {
  if (!handler || !gHandlers.count(handler) || (numTypes && !list)) return paramErr;
  auto& types = handler->types;
  for (ItemCount i = 0; i < numTypes; ++i) {
    types.erase(std::remove_if(types.begin(), types.end(),
                               [&](const EventTypeSpec& t) {
                                 return t.eventClass == list[i].eventClass &&
                                        t.eventKind == list[i].eventKind;
                               }),
                types.end());
  }
  return noErr;
}

OSStatus CallNextEventHandler(EventHandlerCallRef callRef, EventRef event) {
  if (!callRef || !event) return paramErr;
  callRef->nextCalled = true;
  EventTargetRef t = callRef->target;
  if (callRef->position >= 0) return DispatchFrom(event, t, callRef->position - 1);
  EventTargetRef parent = t->parent;
  if (!parent) return eventNotHandledErr;
  return DispatchFrom(event, parent, int(parent->handlers.size()) - 1);
}

OSStatus SendEventToEventTarget(EventRef event, EventTargetRef target) {
  if (!event || !IsValidEventTarget(target)) return paramErr;
  RetainEvent(event);
  ++gDispatchDepth;
  gDispatchStack.push_back(event);
  OSStatus result = DispatchFrom(event, target, int(target->handlers.size()) - 1);
  gDispatchStack.pop_back();
  --gDispatchDepth;
  SweepIfIdle();
  ReleaseEvent(event);
  return result;
}

EventRef GetCurrentEvent() { return gDispatchStack.empty() ? nullptr : gDispatchStack.back(); }

void SetUserFocusEventTarget(EventTargetRef target) {
  gUserFocus = IsValidEventTarget(target) ? target : nullptr;
}

EventTargetRef GetUserFocusEventTarget() {
  return gUserFocus ? gUserFocus : GetApplicationEventTarget();
}

void SetEventRouter(EventRouterProcPtr router) { gRouter = router; }
