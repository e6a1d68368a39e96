// The Carbon event model: event objects with typed parameters, handler chains on event
// targets, one main event queue, the event loops (application, app-modal, timed), event-loop
// timers and HICommands.
//
// Threads: everything here is main-thread only, except CreateEvent, SetEventParameter on an
// event not yet posted, RetainEvent, ReleaseEvent, PostEventToQueue and GetCurrentEventTime,
// which any thread may call. Posting from another thread never blocks: the event goes into a
// bounded lock-free inbox that the main thread empties whenever it looks at the queue; when
// the inbox is full the event is dropped, counted (GetDroppedEventCount) and memFullErr is
// returned.
//
// Targets: an EventTargetRef has a parent; an event sent to a target goes through the
// target's handlers (newest first), then its standard handler (when installed), then on to
// the parent, up to the application target. The Window and Control Managers create their
// targets with NewEventTarget (control -> window -> application).
#pragma once

#include "platform/events/event_types.h"

// --- Event classes and kinds ---------------------------------------------------------------

enum : UInt32 {
  kEventClassMouse = FourCC("mous"),
  kEventClassKeyboard = FourCC("keyb"),
  kEventClassTextInput = FourCC("text"),
  kEventClassApplication = FourCC("appl"),
  kEventClassAppleEvent = FourCC("eppc"),
  kEventClassMenu = FourCC("menu"),
  kEventClassWindow = FourCC("wind"),
  kEventClassControl = FourCC("cntl"),
  kEventClassCommand = FourCC("cmds"),
  kEventClassFont = FourCC("font"),
  kEventClassSearchField = FourCC("srfd"),
  kEventClassTextField = FourCC("txfd"),
  // Classic events posted with PostEvent that have no Carbon class of their own
  // (disk, app-defined, OS events): the kind is the classic event code.
  kEventClassClassicEvent = FourCC("zcls"),
};

enum : UInt32 {
  kEventMouseDown = 1,
  kEventMouseUp = 2,
  kEventMouseMoved = 5,
  kEventMouseDragged = 6,
  kEventMouseEntered = 8,
  kEventMouseExited = 9,
  kEventMouseWheelMoved = 10,
};

enum : UInt32 {
  kEventRawKeyDown = 1,
  kEventRawKeyRepeat = 2,
  kEventRawKeyUp = 3,
  kEventRawKeyModifiersChanged = 4,
};

enum : UInt32 {
  kEventAppActivated = 1,
  kEventAppDeactivated = 2,
  kEventAppQuit = 3,
};

enum : UInt32 { kEventAppleEvent = 1 };

enum : UInt32 {
  kEventCommandProcess = 1,
  kEventCommandUpdateStatus = 2,
};

enum : UInt32 {
  kEventWindowUpdate = 1,
  kEventWindowDrawContent = 2,
  kEventWindowActivated = 5,
  kEventWindowDeactivated = 6,
  kEventWindowGetClickActivation = 7,
  kEventWindowGetClickModality = 8,
  kEventWindowBoundsChanged = 27,
  kEventWindowClickDragRgn = 32,
  kEventWindowClickResizeRgn = 33,
  kEventWindowClickCollapseRgn = 34,
  kEventWindowClickCloseRgn = 35,
  kEventWindowClickZoomRgn = 36,
  kEventWindowClickContentRgn = 37,
  kEventWindowClose = 72,
  kEventWindowZoom = 75,
};

enum : UInt32 {
  kEventControlHit = 1,
  kEventControlDraw = 4,
  kEventControlSetFocusPart = 7,
  kEventControlClick = 13,
};

enum : UInt32 {
  kEventMenuBeginTracking = 1,
  kEventMenuEndTracking = 2,
  kEventMenuOpening = 4,
  kEventMenuClosed = 5,
  kEventMenuEnableItems = 8,
};

enum : UInt32 { kEventFontSelection = 2 };
enum : UInt32 { kEventSearchFieldCancelClicked = 1 };
enum : UInt32 {
  kEventTextAccepted = 1,
  kEventTextDidChange = 3,
};

// --- Parameter names ------------------------------------------------------------------------

enum : EventParamName {
  kEventParamDirectObject = FourCC("----"),
  kEventParamWindowRef = FourCC("wind"),
  kEventParamControlRef = FourCC("ctrl"),
  kEventParamMenuRef = FourCC("menu"),
  kEventParamMouseLocation = FourCC("mloc"),        // typeQDPoint, global
  kEventParamWindowMouseLocation = FourCC("wmou"),  // typeQDPoint
  kEventParamMouseButton = FourCC("mbtn"),          // typeMouseButton
  kEventParamClickCount = FourCC("ccnt"),           // typeUInt32
  kEventParamMouseWheelAxis = FourCC("mwax"),       // typeMouseWheelAxis
  kEventParamMouseWheelDelta = FourCC("mwdl"),      // typeSInt32
  kEventParamKeyModifiers = FourCC("kmod"),         // typeUInt32
  kEventParamKeyCode = FourCC("kcod"),              // typeUInt32
  kEventParamKeyMacCharCodes = FourCC("kchr"),      // typeChar
  kEventParamKeyboardType = FourCC("kbdt"),         // typeUInt32
  kEventParamWindowPartCode = FourCC("wpar"),       // typeWindowPartCode
  kEventParamClickActivation = FourCC("clac"),      // typeClickActivationResult
  kEventParamModalClickResult = FourCC("wmcr"),     // typeModalClickResult
  kEventParamMenuContext = FourCC("mctx"),          // typeUInt32
  kEventParamMenuItemIndex = FourCC("item"),        // typeMenuItemIndex
  kEventParamMenuCommand = FourCC("mcmd"),          // typeMenuCommand
  kEventParamControlPart = FourCC("cprt"),          // typeControlPartCode
  kEventParamCurrentBounds = FourCC("crct"),        // typeQDRectangle
  kEventParamFMFontFamily = FourCC("fmfm"),         // typeSInt16
  kEventParamFMFontSize = FourCC("fmsz"),           // typeSInt16
  kEventParamFMFontStyle = FourCC("fmst"),          // typeSInt16
  kEventParamATSUFontID = FourCC("auid"),           // typeUInt32
  kEventParamAEEventClass = FourCC("evcl"),         // typeType ('eppc' events)
  kEventParamAEEventID = FourCC("evid"),            // typeType
  // The exact classic message of an event posted with PostEvent (typeUInt32).
  kEventParamClassicMessage = FourCC("zmsg"),
};

enum : UInt16 {
  kEventMouseButtonPrimary = 1,
  kEventMouseButtonSecondary = 2,
  kEventMouseButtonTertiary = 3,
};

enum : UInt16 {
  kEventMouseWheelAxisX = 0,
  kEventMouseWheelAxisY = 1,
};

// --- Events -----------------------------------------------------------------------------------

struct OpaqueEventRef;
using EventRef = OpaqueEventRef*;

struct EventTypeSpec {
  UInt32 eventClass = 0;
  UInt32 eventKind = 0;
};

#define GetEventTypeCount(list) ItemCount(sizeof(list) / sizeof(EventTypeSpec))

using EventAttributes = UInt32;
enum : EventAttributes {
  kEventAttributeNone = 0,
  kEventAttributeUserEvent = 1,
};

// A new event with a reference count of 1. when 0 stamps it with GetCurrentEventTime.
// The allocator argument is accepted and not used.
OSStatus CreateEvent(void* allocator, UInt32 eventClass, UInt32 kind, EventTime when,
                     EventAttributes flags, EventRef* outEvent);
// A copy with its own parameters, a reference count of 1 and not in any queue.
EventRef CopyEvent(EventRef event);
EventRef RetainEvent(EventRef event);
void ReleaseEvent(EventRef event);
ItemCount GetEventRetainCount(EventRef event);

UInt32 GetEventClass(EventRef event);
UInt32 GetEventKind(EventRef event);
EventTime GetEventTime(EventRef event);
OSStatus SetEventTime(EventRef event, EventTime when);

// Stores a copy of size bytes under name, replacing an earlier value.
OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type,
                           ByteCount size, const void* data);
// Reads a parameter as desiredType (typeWildCard: as stored), converting the plain value
// types as CoerceValueData does. At most bufferSize bytes are copied; outActualSize gets
// the parameter's whole size. outActualType, outActualSize and outData may each be null.
// eventParameterNotFoundErr when absent, errAECoercionFail when it cannot be converted.
OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* outActualType, ByteCount bufferSize,
                           ByteCount* outActualSize, void* outData);
OSStatus RemoveEventParameter(EventRef event, EventParamName name);

// True for a key-down of Escape or Command-period.
Boolean IsUserCancelEventRef(EventRef event);

// --- Targets and handlers -----------------------------------------------------------------

struct OpaqueEventTargetRef;
using EventTargetRef = OpaqueEventTargetRef*;
struct OpaqueEventHandlerRef;
using EventHandlerRef = OpaqueEventHandlerRef*;
struct OpaqueEventHandlerCallRef;
using EventHandlerCallRef = OpaqueEventHandlerCallRef*;

using EventHandlerProcPtr = OSStatus (*)(EventHandlerCallRef nextHandler, EventRef event,
                                         void* userData);
using EventHandlerUPP = EventHandlerProcPtr;
inline EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr proc) { return proc; }
inline void DisposeEventHandlerUPP(EventHandlerUPP) {}
inline OSStatus InvokeEventHandlerUPP(EventHandlerCallRef next, EventRef event, void* userData,
                                      EventHandlerUPP proc) {
  return proc(next, event, userData);
}

// The application's target: the root of every chain. Its standard handler is always there
// and answers, when nothing above took the event:
//   'eppc' 1: the Apple event is dispatched (AEProcessAppleEvent);
//   'appl' kEventAppQuit: QuitApplicationEventLoop;
//   'cmds' 1 with command 'quit': a 'quit' Apple event is dispatched to the application.
EventTargetRef GetApplicationEventTarget();
// The target that the event loops send every event to. Its standard handler routes the event
// (SetEventRouter) and sends it on to the routed target.
EventTargetRef GetEventDispatcherTarget();

// Targets of the later managers. Kinds name what owns a target.
enum : UInt32 {
  kEventTargetKindApplication = FourCC("appl"),
  kEventTargetKindWindow = FourCC("wind"),
  kEventTargetKindControl = FourCC("cntl"),
  kEventTargetKindMenu = FourCC("menu"),
  kEventTargetKindOther = FourCC("othr"),
};
// A new target whose events go on to parent (null: to nothing, so pass the window's target
// for a control and GetApplicationEventTarget() for a window). owner is what the target
// stands for (a WindowRef, ControlRef ...), returned by GetEventTargetOwner.
EventTargetRef NewEventTarget(EventTargetRef parent, UInt32 ownerKind, void* owner);
// Removes the target and its handlers; targets below it are re-parented to its parent. A
// target disposed while an event is being dispatched through it lives until the dispatch
// ends (its handlers are not called any more). The application and dispatcher targets stay.
void DisposeEventTarget(EventTargetRef target);
Boolean IsValidEventTarget(EventTargetRef target);
EventTargetRef GetEventTargetParent(EventTargetRef target);
OSStatus SetEventTargetParent(EventTargetRef target, EventTargetRef parent);
UInt32 GetEventTargetOwnerKind(EventTargetRef target);
void* GetEventTargetOwner(EventTargetRef target);

// The standard handler that InstallStandardEventHandler switches on for a target (the
// Window Manager gives its windows one that drags, grows and closes). It runs after the
// target's own handlers and before the parent's. Without one, InstallStandardEventHandler
// does nothing.
void SetEventTargetStandardHandler(EventTargetRef target, EventHandlerUPP proc, void* userData);
OSStatus InstallStandardEventHandler(EventTargetRef target);
OSStatus RemoveStandardEventHandler(EventTargetRef target);

OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, ItemCount numTypes,
                             const EventTypeSpec* list, void* userData,
                             EventHandlerRef* outRef);
inline OSStatus InstallApplicationEventHandler(EventHandlerUPP handler, ItemCount numTypes,
                                               const EventTypeSpec* list, void* userData,
                                               EventHandlerRef* outRef) {
  return InstallEventHandler(GetApplicationEventTarget(), handler, numTypes, list, userData,
                             outRef);
}
// A handler removed while it is being called finishes its call and is never called again.
OSStatus RemoveEventHandler(EventHandlerRef handler);
OSStatus AddEventTypesToHandler(EventHandlerRef handler, ItemCount numTypes,
                                const EventTypeSpec* list);
OSStatus RemoveEventTypesFromHandler(EventHandlerRef handler, ItemCount numTypes,
                                     const EventTypeSpec* list);

// Sends the event through the rest of the chain after the calling handler (including the
// parent targets) and returns the first answer that is not eventNotHandledErr, or
// eventNotHandledErr when nothing further takes it. The calling handler's own answer is then
// final: the dispatcher does not pass the event on a second time.
OSStatus CallNextEventHandler(EventHandlerCallRef callRef, EventRef event);
// The first answer that is not eventNotHandledErr along the target's chain, or
// eventNotHandledErr (paramErr for a bad target or event).
OSStatus SendEventToEventTarget(EventRef event, EventTargetRef target);

// The event being sent by the innermost SendEventToEventTarget, or null.
EventRef GetCurrentEvent();

// The keyboard focus: keyboard, text and command events are routed to it. Null (the
// default) means the application target. The Window Manager's SetUserFocusWindow sets the
// window's target here.
void SetUserFocusEventTarget(EventTargetRef target);
EventTargetRef GetUserFocusEventTarget();

// Routing of the events that the loops take out of the queue: the router names the target
// an event goes to; null (or no router) means the default: the user focus target for
// 'keyb', 'text' and 'cmds' events, the application target for everything else. The Window
// Manager installs a router that sends mouse events to the window under the mouse and
// 'wind' events to their window.
using EventRouterProcPtr = EventTargetRef (*)(EventRef event);
void SetEventRouter(EventRouterProcPtr router);

// --- Queue ------------------------------------------------------------------------------------

struct OpaqueEventQueueRef;
using EventQueueRef = OpaqueEventQueueRef*;

using EventPriority = SInt16;
enum : EventPriority {
  kEventPriorityLow = 0,
  kEventPriorityStandard = 1,
  kEventPriorityHigh = 2,
};

EventQueueRef GetMainEventQueue();
EventQueueRef GetCurrentEventQueue();
// Queues the event (the queue takes its own reference) behind every event of the same or
// higher priority. eventAlreadyPostedErr when it is queued already. Any thread.
OSStatus PostEventToQueue(EventQueueRef queue, EventRef event, EventPriority priority);
OSStatus RemoveEventFromQueue(EventQueueRef queue, EventRef event);
Boolean IsEventInQueue(EventQueueRef queue, EventRef event);
ItemCount GetNumEventsInQueue(EventQueueRef queue);
OSStatus FlushEventQueue(EventQueueRef queue);
OSStatus FlushEventsMatchingListFromQueue(EventQueueRef queue, ItemCount numTypes,
                                          const EventTypeSpec* list);
// Events dropped because the cross-thread inbox was full, since start.
UInt32 GetDroppedEventCount();

// Waits up to timeout (kEventDurationForever: until one comes) for the first queued event
// of one of the types in list (numTypes 0: any event). Event-loop timers fire while it
// waits. With pullEvent the event leaves the queue and the caller owns a reference (release
// it); without, it stays queued and the caller must not release it. eventLoopTimedOutErr
// when none came in time.
OSStatus ReceiveNextEvent(ItemCount numTypes, const EventTypeSpec* list, EventTimeout timeout,
                          Boolean pullEvent, EventRef* outEvent);

// --- Loops ------------------------------------------------------------------------------------

struct OpaqueEventLoopRef;
using EventLoopRef = OpaqueEventLoopRef*;
EventLoopRef GetMainEventLoop();
EventLoopRef GetCurrentEventLoop();

// Takes events out of the queue and sends each to the dispatcher target until
// QuitApplicationEventLoop is called. Returns then, and may be run again.
void RunApplicationEventLoop();
// Ends the innermost running RunApplicationEventLoop (once any loops nested inside it have
// returned). Does nothing when none is running.
void QuitApplicationEventLoop();

// A loop like RunApplicationEventLoop that ends on QuitAppModalLoopForWindow(window). The
// Window Manager's hooks (SetAppModalLoopHooks) make the window modal around it. paramErr
// for a null window.
OSStatus RunAppModalLoopForWindow(WindowRef window);
// Ends the innermost modal loop running for window; paramErr when there is none.
OSStatus QuitAppModalLoopForWindow(WindowRef window);
using AppModalHookProcPtr = void (*)(WindowRef window);
void SetAppModalLoopHooks(AppModalHookProcPtr begin, AppModalHookProcPtr end);
// The window of the innermost running modal loop, or null.
WindowRef GetAppModalLoopWindow();

// Runs the loop for timeout seconds (or until QuitEventLoop): eventLoopTimedOutErr or
// eventLoopQuitErr.
OSStatus RunCurrentEventLoop(EventTimeout timeout);
// Ends the innermost running loop of any kind.
OSStatus QuitEventLoop(EventLoopRef loop);

// --- Clock and timers -----------------------------------------------------------------------

// Seconds on the host's monotonic clock (the origin TickCount counts from), or the manual
// clock's time while it is on. Any thread.
EventTime GetCurrentEventTime();
// The manual clock, for tests: time stands at `start` and moves only by
// AdvanceManualEventClock, or when a wait would sleep: then time jumps to the wait's end or
// the next timer, whichever comes first (only a wait without end and without timers really
// sleeps, until something is posted). Off: back to the host clock.
void SetManualEventClock(Boolean on, EventTime start);
Boolean IsManualEventClockOn();
void AdvanceManualEventClock(EventTime seconds);

struct OpaqueEventLoopTimerRef;
using EventLoopTimerRef = OpaqueEventLoopTimerRef*;
using EventLoopTimerProcPtr = void (*)(EventLoopTimerRef timer, void* userData);
using EventLoopTimerUPP = EventLoopTimerProcPtr;
inline EventLoopTimerUPP NewEventLoopTimerUPP(EventLoopTimerProcPtr proc) { return proc; }
inline void DisposeEventLoopTimerUPP(EventLoopTimerUPP) {}

// A timer that first fires fireDelay seconds from now (kEventDurationForever: not until
// SetEventLoopTimerNextFireTime) and then every interval seconds (0: once). Timers fire
// only from the main thread's loops and waits (RunApplicationEventLoop, ReceiveNextEvent,
// WaitNextEvent ...), in the order of their fire times, never inside their own call.
// Periodic timers keep their phase (next = last due time + interval); firings missed while
// the loop was busy are not made up.
OSStatus InstallEventLoopTimer(EventLoopRef loop, EventTimerInterval fireDelay,
                               EventTimerInterval interval, EventLoopTimerUPP proc,
                               void* userData, EventLoopTimerRef* outTimer);
// A timer may remove itself from its own call.
OSStatus RemoveEventLoopTimer(EventLoopTimerRef timer);
// The next firing, seconds from now (kEventDurationForever: never).
OSStatus SetEventLoopTimerNextFireTime(EventLoopTimerRef timer, EventTimerInterval nextFire);
// Fires every timer that is due now; returns how many fired. The loops do this themselves;
// tests on the manual clock call it after AdvanceManualEventClock.
ItemCount FireDueEventLoopTimers();

// --- HICommands -----------------------------------------------------------------------------

enum : UInt32 {
  kHICommandFromMenu = 1,
  kHICommandFromControl = 2,
  kHICommandFromWindow = 4,
};

enum : UInt32 {
  kHICommandOK = FourCC("ok  "),
  kHICommandCancel = FourCC("not!"),
  kHICommandQuit = FourCC("quit"),
  kHICommandPreferences = FourCC("pref"),
  kHICommandAbout = FourCC("abou"),
  kHICommandUndo = FourCC("undo"),
  kHICommandCut = FourCC("cut "),
  kHICommandCopy = FourCC("copy"),
  kHICommandPaste = FourCC("past"),
  kHICommandClear = FourCC("clea"),
  kHICommandSelectAll = FourCC("sall"),
};

// Plain in-memory records (they hold machine pointers and are never written to files).
struct HICommandMenu {
  MenuRef menuRef;
  MenuItemIndex menuItemIndex;
};

struct HICommand {
  UInt32 attributes = 0;
  UInt32 commandID = 0;
  HICommandMenu menu{};
};

struct HICommandExtended {
  UInt32 attributes = 0;
  UInt32 commandID = 0;
  union {
    ControlRef control;
    WindowRef window;
    HICommandMenu menu;
  } source{};
};

static_assert(sizeof(HICommand) == sizeof(HICommandExtended));

// A new 'cmds' event of the kind (kEventCommandProcess ...) carrying the command as its
// direct object (typeHICommand) and the current modifiers.
OSStatus CreateCommandEvent(UInt32 kind, const HICommandExtended* command, EventRef* outEvent);
// Sends a kEventCommandProcess for the command to the user focus target (whose chain ends at
// the application) and returns the answer.
OSStatus ProcessHICommand(const HICommand* command);
