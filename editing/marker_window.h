// Interim: the marker list window's state that the marker code keeps in step, until the
// list editors exist: the window's current marker index.
#pragma once

#include <cstdint>

// Index of the marker the marker window shows (-1: none, a new marker).
extern int32_t gMarkerWindowIndex;

// A marker was deleted: the window steps back when it showed that marker.
void FollowMarkerDeletion(int32_t index);
