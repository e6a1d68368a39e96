// The classic event record that every converted event is copied into before it is
// dispatched, and the last mouse point in local coordinates.
#pragma once

#include "platform/events/classic_events.h"

// The event being handled.
extern EventRecord gLastEvent;
// The mouse position of the last event or mouse poll, local to the current port.
extern Point gLastMousePoint;
