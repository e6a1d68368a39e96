// What the host window (or a test) feeds into the event queue: mouse, wheel, keyboard and
// activation, in Mac terms (global points, virtual key codes, modifier bits). Each call
// updates the live state that Button, GetMouse, GetKeys and GetCurrentKeyModifiers read at
// once, then queues the matching Carbon event. Any thread, never blocking: the queued part
// goes through the bounded inbox (dropped and counted when full, memFullErr).
//
// The screen layer pumps host input on the main thread through SetHostEventPump; the loops
// call the pump whenever they would wait, and Button/GetMouse/StillDown call it without
// waiting, so that polling code sees fresh input.
#pragma once

#include "platform/events/carbon_events.h"

// kind: kEventMouseDown, kEventMouseUp or kEventMouseMoved (a move with a button down is
// queued as kEventMouseDragged). button: 1 primary, 2 secondary, 3 middle. modifiers: the
// modifier keys held, as the host reports them. Consecutive moves waiting in the queue are
// merged into the last one. Mouse-downs get a click count ('ccnt'): 2 for a second click
// within GetDblTime ticks and kDragSlop * 2 pixels of the first, and so on.
OSStatus PostHostMouseEvent(UInt32 kind, Point globalWhere, UInt16 button, UInt32 modifiers);
// A wheel step: axis kEventMouseWheelAxisY (positive: away from the user, scroll up) or X.
OSStatus PostHostWheelEvent(Point globalWhere, UInt16 axis, SInt32 delta, UInt32 modifiers);
// kind: kEventRawKeyDown, kEventRawKeyRepeat or kEventRawKeyUp. charCode: the Mac Roman
// character typed, or -1 to take it from the US layout (CharCodeForKeyCode). A modifier key
// (IsModifierKeyCode) queues kEventRawKeyModifiersChanged instead, with the modifiers that
// follow from the keys now held. Key codes above 127 are refused (paramErr).
OSStatus PostHostKeyEvent(UInt32 kind, UInt16 keyCode, UInt32 modifiers, SInt16 charCode);
// The host's modifier state changed without a key event (focus came back with keys held):
// the key map follows, and kEventRawKeyModifiersChanged is queued when anything changed.
OSStatus PostHostModifiersEvent(UInt32 modifiers);
// The host window gained (kEventAppActivated) or lost (kEventAppDeactivated) the focus.
OSStatus PostHostActivation(Boolean active);
// Forgets held keys and buttons (after the host window lost the focus); queues nothing.
// Caps Lock's toggle state stays.
void ResetHostInputState();

// The pump: called on the main thread with the longest time it may wait for host input
// (0: do not wait). It posts what came with the calls above. Null: no host (tests).
using HostEventPumpProcPtr = void (*)(EventTime maxWait);
void SetHostEventPump(HostEventPumpProcPtr pump);
// Called (from any thread, must not block) after an event was queued from another thread, so
// that a pump waiting in the host can return at once. Pump waits are cut to slices of at
// most 10 ms in any case, so such events (and the quit signal) are seen soon without it.
using HostWakeProcPtr = void (*)();
void SetHostWakeHook(HostWakeProcPtr wake);
