// Interim: what the marker code asks of the marker list window, until the list editors
// exist: the window's current marker index and the end of the last marker.
#pragma once

#include <cstdint>

// Index of the marker the marker window shows (-1: none, a new marker).
extern int32_t gMarkerWindowIndex;

// The end of the current song's last marker: its tick, plus its length when it has one;
// 1 without markers.
uint32_t GetLastMarkerEnd();
