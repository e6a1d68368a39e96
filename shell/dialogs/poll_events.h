// Serving events from inside long operations, and the mouse-tracking primitives that every
// hand-made control (value fields, drawn pop-ups) follows the mouse with.
#pragma once

#include <cstdint>

#include "platform/events/classic_events.h"
#include "platform/quickdraw/quickdraw_types.h"

// Ticks (60 a second) on the event clock: the clock that event waits and time-outs use.
uint32_t EventTicksNow();

// Serves up to 8 queued events of the mask now: dialog events go to gDialogEventHandler,
// others to the main dispatcher. The idle flag is held meanwhile.
void PollEventsNow(EventMask eventMask);
// PollEventsNow, with the event being handled (gLastEvent) kept for its handler.
void PollEvents(EventMask eventMask);
// Serves update and activate events only, with the value field marked as borrowed so that
// the handlers cannot commit or drop what the user is typing.
void PollUpdateEvents();
// WaitNextEvent into the record with the program's sleep (see GetEventSleepTicks).
Boolean WaitNextEventWithSleep(EventMask eventMask, EventRecord* event);
// The sleep for WaitNextEvent: 20 ticks in the background, 1 while a number is being typed,
// otherwise the caret time (at most 2 ticks).
uint32_t GetEventSleepTicks();

// Where the dialog events of PollEventsNow go. The default selects the dialog item and
// passes hits and cancel keys of the progress dialog on to it.
using DialogEventHandlerProc = void (*)(EventRecord* event);
extern DialogEventHandlerProc gDialogEventHandler;
void ServeDialogEvent(EventRecord* event);

// Results of TrackMouseEvent.
enum : uint16_t {
  kTrackMouseDown = 1,
  kTrackMouseUp = 2,
  kTrackMouseExited = 3,
  kTrackMouseEntered = 4,
  kTrackMouseDragged = 5,
  kTrackKeyDown = 6,
  kTrackCancelled = 7,
  kTrackMouseMoved = 9,
  kTrackOther = 0xFFFF,
};
// A port value that asks TrackMouseEvent for global coordinates.
inline CGrafPtr const kTrackGlobalPort = reinterpret_cast<CGrafPtr>(intptr_t(-1));
// Takes the next mouse event (with withKeys also key events) out of the queue and answers
// its kind and location: local to port (null: the current port; kTrackGlobalPort: global).
// Escape or Command-period answer kTrackCancelled. With nothing queued and the button up,
// a release at the mouse's place is answered, so that no caller waits for a release that
// already happened; a button held without any event for two minutes counts as released.
OSStatus TrackMouseEvent(CGrafPtr port, Point* point, uint16_t* result, bool withKeys);
// One TrackMouseEvent in the current port; false at release or cancel.
bool TrackMouseUntilRelease(bool withKeys);
bool TrackMouseInPort();
// Button() and, while it is down, TrackMouseInPort.
bool IsButtonStillDown();
// Waits until the mouse leaves the box of radius around where it is now, the tick deadline
// passes or (with checkButton) the button is released. Answers the button state at the end.
bool WaitForMouseMoveOrTimeout(uint32_t deadlineTicks, int16_t radius, bool checkButton);
bool WaitTicksOrMove(uint32_t ticks);
// Takes Escape or Command-period out of the queue when it is the first key waiting there.
bool TakeQueuedCancelKey();
// The global mouse position; answers the tick count.
uint32_t GetGlobalMouseAndTicks(Point* where);
