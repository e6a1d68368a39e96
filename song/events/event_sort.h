// Sorting an event list by time, stable: records with equal times keep their order.
#pragma once

#include "platform/memory/mac_types.h"

// Sorts the list; 0, or the memory error when no buffer could be had for a record.
OSErr SortEventList(Handle list);
OSErr SortTrackEvents();
// The same sort done in place, moving one record at a time (the path taken when no scratch
// memory is left); slow on long unsorted lists.
OSErr SortEventListInPlace(Handle list);
