// Merging two time-sorted event lists into a new one.
#pragma once

#include "platform/memory/mac_types.h"

// A new list holding the records of first and second in time order; at equal times the
// records of first come before those of second, and each list keeps its own order. A damaged
// record ends its list there. Returns the new handle (null on a memory shortage, with *err
// set); the two lists are left as they are.
Handle MergeEventLists(Handle first, Handle second, OSErr* err);
