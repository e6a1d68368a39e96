// Mouse tracking: the step that every loop which follows the mouse while the button is down
// uses (window drags, grow boxes, menus, controls).
//
// Each call takes the next mouse event out of the queue (other events stay queued), waiting
// in short slices. When none is queued and the button is up (GetCurrentButtonState), it
// answers a release at the current mouse location, so a loop never waits for a release that
// was already seen; with kTrackMouseLocationOptionButtonMayBeUp it waits for the next click
// instead (menus left open after a click), up to the timeout.
#pragma once

#include "platform/events/carbon_events.h"
#include "platform/quickdraw/quickdraw_types.h"

using MouseTrackingResult = UInt16;
enum : MouseTrackingResult {
  kMouseTrackingMouseDown = 1,
  kMouseTrackingMouseUp = 2,
  kMouseTrackingMouseExited = 3,
  kMouseTrackingMouseEntered = 4,
  kMouseTrackingMouseDragged = 5,
  kMouseTrackingKeyModifiersChanged = 6,
  kMouseTrackingUserCancelled = 7,
  kMouseTrackingTimedOut = 8,
  kMouseTrackingMouseMoved = 9,
};

using OptionBits = UInt32;
enum : OptionBits {
  kTrackMouseLocationOptionDontConsumeMouseUp = 1u << 0,
  kTrackMouseLocationOptionButtonMayBeUp = 1u << 16,
};

// The longest that kTrackMouseLocationOptionButtonMayBeUp waits with kEventDurationForever.
constexpr EventTimeout kMaxClickWait = 30.0;

// outPt is in the port's local coordinates (port null: the current port). Escape or
// Command-period answer kMouseTrackingUserCancelled. timeout: kEventDurationForever waits
// while the button is down; otherwise kMouseTrackingTimedOut when nothing came in time.
OSStatus TrackMouseLocationWithOptions(CGrafPtr inPort, OptionBits inOptions, EventTimeout inTimeout,
                                       Point* outPt, UInt32* outModifiers,
                                       MouseTrackingResult* outResult);
OSStatus TrackMouseLocation(CGrafPtr inPort, Point* outPt, MouseTrackingResult* outResult);
// TrackMouseLocationWithOptions that also tells whether the result came from a queued event
// (false: it was made up from the button's state, or the wait timed out).
OSStatus TrackMouseStep(CGrafPtr inPort, OptionBits inOptions, EventTimeout inTimeout, Point* outPt,
                        UInt32* outModifiers, MouseTrackingResult* outResult, Boolean* outFromQueue);
