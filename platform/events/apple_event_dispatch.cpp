// Apple event handlers and dispatch, sending to this process, and the events the host sends.
#include <signal.h>
#include <unistd.h>

#include <deque>

#include "platform/events/events_internal.h"
#include "platform/files/file_locations.h"

namespace {

struct AEHandlerEntry {
  AEEventClass eventClass;
  AEEventID eventID;
  AEEventHandlerUPP handler;
  SRefCon refcon;
};

// Apple events taken out of the queue by WaitNextEvent and friends, waiting for
// AEProcessAppleEvent. Bounded: a program that never processes them loses the oldest.
constexpr size_t kMaxWaitingAppleEvents = 16;

std::vector<AEHandlerEntry> gHandlers;
std::deque<AppleEvent> gWaiting;
std::atomic<bool> gQuitRequested{false};
std::atomic<bool> gSignalQuitWaiting{false};
// Main thread: modal dialogs running now, and a quit that one of them took and that waits for
// the program to be back outside every modal dialog.
int gModalDialogDepth = 0;
bool gQuitDeferred = false;

AEHandlerEntry* FindEntry(AEEventClass eventClass, AEEventID eventID) {
  for (AEHandlerEntry& e : gHandlers)
    if (e.eventClass == eventClass && e.eventID == eventID) return &e;
  return nullptr;
}

const AEHandlerEntry* FindHandlerFor(AEEventClass eventClass, AEEventID eventID) {
  const AEEventClass classes[] = {eventClass, eventClass, typeWildCard, typeWildCard};
  const AEEventID ids[] = {eventID, typeWildCard, eventID, typeWildCard};
  for (int i = 0; i < 4; ++i)
    if (const AEHandlerEntry* e = FindEntry(classes[i], ids[i])) return e;
  return nullptr;
}

bool ClassAndID(const AppleEvent* event, AEEventClass* eventClass, AEEventID* eventID) {
  return AEGetAttributePtr(event, keyEventClassAttr, typeType, nullptr, eventClass,
                           sizeof *eventClass, nullptr) == noErr &&
         AEGetAttributePtr(event, keyEventIDAttr, typeType, nullptr, eventID, sizeof *eventID,
                           nullptr) == noErr;
}

bool Matches(const AppleEvent* event, AEEventClass eventClass, AEEventID eventID) {
  AEEventClass c = 0;
  AEEventID id = 0;
  return ClassAndID(event, &c, &id) && c == eventClass && id == eventID;
}

OSErr NewSelfAddressedEvent(AEEventClass eventClass, AEEventID eventID, AppleEvent* event) {
  ProcessSerialNumber self{0, kCurrentProcess};
  AEAddressDesc address;
  OSErr err = AECreateDesc(typeProcessSerialNumber, &self, sizeof self, &address);
  if (err != noErr) return err;
  err = AECreateAppleEvent(eventClass, eventID, &address, kAutoGenerateReturnID, kAnyTransactionID,
                           event);
  AEDisposeDesc(&address);
  return err;
}

OSErr PostNewAppleEvent(AEEventClass eventClass, AEEventID eventID, const AEDesc* directObject) {
  AppleEvent event;
  OSErr err = NewSelfAddressedEvent(eventClass, eventID, &event);
  if (err == noErr && directObject) err = AEPutParamDesc(&event, keyDirectObject, directObject);
  if (err == noErr) err = PostAppleEvent(&event);
  AEDisposeDesc(&event);
  return err;
}

bool IsSelfAddress(const AEDesc& address, OSErr* err) {
  *err = noErr;
  if (address.descriptorType == typeProcessSerialNumber) {
    ProcessSerialNumber psn;
    if (AEGetDescData(&address, &psn, sizeof psn) != noErr || AEGetDescDataSize(&address) != sizeof psn) {
      *err = errAEUnknownAddressType;
      return false;
    }
    if (psn.highLongOfPSN == 0 && psn.lowLongOfPSN == kCurrentProcess) return true;
    *err = procNotFound;
    return false;
  }
  if (address.descriptorType == typeKernelProcessID) {
    SInt32 pid = 0;
    if (AEGetDescDataSize(&address) != sizeof pid) {
      *err = errAEUnknownAddressType;
      return false;
    }
    AEGetDescData(&address, &pid, sizeof pid);
    if (pid == SInt32(getpid())) return true;
    *err = procNotFound;
    return false;
  }
  *err = errAEUnknownAddressType;
  return false;
}

// A signal while the quit of an earlier one still waits for the main thread: the program does
// not answer, so it ends the default way.
void OnQuitSignal(int signal) {
  if (gSignalQuitWaiting.exchange(true)) {
    ::signal(signal, SIG_DFL);
    raise(signal);
    return;
  }
  events_internal::WakeMainThread();
}

}  // namespace

namespace events_internal {

void PostPendingQuitRequest() {
  if (!IsMainThread()) return;
  bool requested = gQuitRequested.exchange(false);
  bool signalled = gSignalQuitWaiting.exchange(false);
  bool deferred = gQuitDeferred && gModalDialogDepth == 0;
  if (deferred) gQuitDeferred = false;
  if (requested || signalled || deferred) PostNewAppleEvent(kCoreEventClass, kAEQuitApplication, nullptr);
}

void KeepAppleEventForProcessing(EventRef event) {
  if (!event || event->appleEventProcessed || !event->appleEvent.dataHandle) return;
  gWaiting.push_back(event->appleEvent);
  AEInitializeDesc(&event->appleEvent);
  event->appleEventProcessed = true;
  while (gWaiting.size() > kMaxWaitingAppleEvents) {
    AEDisposeDesc(&gWaiting.front());
    gWaiting.pop_front();
  }
}

OSStatus ProcessAppleEventOfEvent(EventRef event) {
  if (event->appleEventProcessed) return noErr;
  event->appleEventProcessed = true;
  OSErr err = AEDispatchAppleEvent(&event->appleEvent);
  return err == errAEEventNotHandled ? OSStatus(eventNotHandledErr) : OSStatus(err);
}

OSStatus NewAppleEventCarbonEvent(const AppleEvent* appleEvent, EventRef* outEvent) {
  AEEventClass eventClass = 0;
  AEEventID eventID = 0;
  if (!ClassAndID(appleEvent, &eventClass, &eventID)) return errAENotAppleEvent;
  EventRef event = nullptr;
  OSStatus err = CreateEvent(nullptr, kEventClassAppleEvent, kEventAppleEvent, 0,
                             kEventAttributeNone, &event);
  if (err != noErr) return err;
  SetEventParameter(event, kEventParamAEEventClass, typeType, sizeof eventClass, &eventClass);
  SetEventParameter(event, kEventParamAEEventID, typeType, sizeof eventID, &eventID);
  AEDuplicateDesc(appleEvent, &event->appleEvent);
  *outEvent = event;
  return noErr;
}

}  // namespace events_internal

using namespace events_internal;

OSErr AEInstallEventHandler(AEEventClass eventClass, AEEventID eventID, AEEventHandlerUPP handler,
                            SRefCon handlerRefcon, Boolean) {
  if (!handler) return paramErr;
  if (AEHandlerEntry* e = FindEntry(eventClass, eventID)) {
    e->handler = handler;
    e->refcon = handlerRefcon;
    return noErr;
  }
  gHandlers.push_back(AEHandlerEntry{eventClass, eventID, handler, handlerRefcon});
  return noErr;
}

OSErr AERemoveEventHandler(AEEventClass eventClass, AEEventID eventID, AEEventHandlerUPP handler,
                           Boolean) {
  AEHandlerEntry* e = FindEntry(eventClass, eventID);
  if (!e || (handler && e->handler != handler)) return errAEHandlerNotFound;
  gHandlers.erase(gHandlers.begin() + (e - gHandlers.data()));
  return noErr;
}

OSErr AEGetEventHandler(AEEventClass eventClass, AEEventID eventID, AEEventHandlerUPP* handler,
                        SRefCon* handlerRefcon, Boolean) {
  AEHandlerEntry* e = FindEntry(eventClass, eventID);
  if (!e) return errAEHandlerNotFound;
  if (handler) *handler = e->handler;
  if (handlerRefcon) *handlerRefcon = e->refcon;
  return noErr;
}

OSErr AEDispatchAppleEvent(const AppleEvent* event) {
  AEEventClass eventClass = 0;
  AEEventID eventID = 0;
  if (!event || !ClassAndID(event, &eventClass, &eventID)) return errAENotAppleEvent;
  const AEHandlerEntry* entry = FindHandlerFor(eventClass, eventID);
  if (!entry) {
    if (eventClass != kCoreEventClass || eventID != kAEQuitApplication) return errAEEventNotHandled;
    EventRef quit = nullptr;
    CreateEvent(nullptr, kEventClassApplication, kEventAppQuit, 0, kEventAttributeNone, &quit);
    SendEventToEventTarget(quit, GetApplicationEventTarget());
    ReleaseEvent(quit);
    return noErr;
  }
  // Copy the entry: the handler may install or remove handlers.
  AEHandlerEntry call = *entry;
  AppleEvent reply;
  AECreateList(nullptr, 0, true, &reply);
  OSErr err = call.handler(event, &reply, call.refcon);
  AEDisposeDesc(&reply);
  return err;
}

OSErr AEProcessAppleEvent(const EventRecord* theEventRecord) {
  if (!theEventRecord || theEventRecord->what != kHighLevelEvent) return errAENotAppleEvent;
  AEEventClass eventClass = theEventRecord->message;
  AEEventID eventID = (UInt32(UInt16(theEventRecord->where.v)) << 16) | UInt16(theEventRecord->where.h);
  const auto& sending = DispatchStack();
  for (auto it = sending.rbegin(); it != sending.rend(); ++it) {
    EventRef event = *it;
    if (event->eventClass == kEventClassAppleEvent && !event->appleEventProcessed &&
        Matches(&event->appleEvent, eventClass, eventID)) {
      event->appleEventProcessed = true;
      return AEDispatchAppleEvent(&event->appleEvent);
    }
  }
  for (auto it = gWaiting.begin(); it != gWaiting.end(); ++it) {
    if (Matches(&*it, eventClass, eventID)) {
      AppleEvent event = *it;
      gWaiting.erase(it);
      OSErr err = AEDispatchAppleEvent(&event);
      AEDisposeDesc(&event);
      return err;
    }
  }
  return errAENotAppleEvent;
}

OSErr AESend(const AppleEvent* event, AppleEvent* reply, AESendMode sendMode, AESendPriority,
             SInt32, void*, void*) {
  if (!event) return paramErr;
  if (reply) AEInitializeDesc(reply);
  SInt32 replyMode = sendMode & 3;
  if (replyMode == 0) return errAEUnknownSendMode;
  AEAddressDesc address;
  OSErr err = AEGetAttributeDesc(event, keyAddressAttr, typeWildCard, &address);
  if (err != noErr) return err == errAEDescNotFound ? OSErr(errAEUnknownAddressType) : err;
  bool self = IsSelfAddress(address, &err);
  AEDisposeDesc(&address);
  if (!self) return err;
  OSErr handled = AEDispatchAppleEvent(event);
  if (reply && replyMode != kAENoReply) {
    AECreateList(nullptr, 0, true, reply);
    if (handled != noErr) {
      SInt32 number = handled;
      AEPutParamPtr(reply, keyErrorNumber, typeSInt32, &number, sizeof number);
    }
  }
  return noErr;
}

OSErr PostAppleEvent(const AppleEvent* event) {
  EventRef carbon = nullptr;
  OSStatus err = NewAppleEventCarbonEvent(event, &carbon);
  if (err != noErr) return OSErr(err);
  err = PostEventToQueue(GetMainEventQueue(), carbon, kEventPriorityStandard);
  ReleaseEvent(carbon);
  return err == noErr ? OSErr(noErr) : OSErr(memFullErr);
}

OSErr PostOpenDocumentsEventForPaths(const std::vector<std::string>& paths) {
  AEDescList list;
  AECreateList(nullptr, 0, false, &list);
  OSErr firstError = noErr;
  for (const std::string& path : paths) {
    FSSpec fileSpec;
    OSErr err = PathToSpec(path, &fileSpec);
    if (err == noErr || err == fnfErr)
      AEPutFSSpec(&list, 0, fileSpec);
    else if (firstError == noErr)
      firstError = err;
  }
  SInt32 count = 0;
  AECountItems(&list, &count);
  OSErr err = count > 0 ? PostNewAppleEvent(kCoreEventClass, kAEOpenDocuments, &list) : OSErr(noErr);
  AEDisposeDesc(&list);
  return firstError != noErr ? firstError : err;
}

OSErr PostOpenApplicationEvent() {
  return PostNewAppleEvent(kCoreEventClass, kAEOpenApplication, nullptr);
}

void PostQuitAppleEvent() {
  gQuitRequested.store(true);
  WakeMainThread();
  CallHostWake();
}

Boolean IsQuitAppleEventRecord(const EventRecord* event) {
  if (!event || event->what != kHighLevelEvent || event->message != kCoreEventClass) return false;
  return ((UInt32(UInt16(event->where.v)) << 16) | UInt16(event->where.h)) == kAEQuitApplication;
}

void NoteModalDialogEntered() { ++gModalDialogDepth; }
void NoteModalDialogLeft() {
  if (gModalDialogDepth > 0) --gModalDialogDepth;
}

void DeferQuitUntilModalEnds(const EventRecord* quitEvent) {
  if (!IsQuitAppleEventRecord(quitEvent)) return;
  for (auto it = gWaiting.begin(); it != gWaiting.end(); ++it) {
    if (Matches(&*it, kCoreEventClass, kAEQuitApplication)) {
      AEDisposeDesc(&*it);
      gWaiting.erase(it);
      break;
    }
  }
  gQuitDeferred = true;
}

Boolean IsQuitDeferred() { return gQuitDeferred; }

void InstallQuitSignalHandlers() {
  WakeFd();  // made before any signal can need it
  struct sigaction action{};
  action.sa_handler = OnQuitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}
