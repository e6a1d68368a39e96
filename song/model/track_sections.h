// Section lists (SectionEntry records of a track): the length kept in the first entry and
// the end of the last entry.
#pragma once

#include <cstdint>

// False when the list holds no entry.
bool GetFirstSectionLength(uint32_t list, uint32_t* length);
// 0 when the list holds no entry.
uint32_t GetLastSectionEnd(uint32_t list);

// The track's repeat list (a handle of the TrackEntry: a 16-byte header, then 48-byte
// entries ended by a start of 0). These work on the current track.
//
// Interim: nothing is shifted or deleted until the section lists are built.
// Time edits: a negative delta (time removed) first drops the sections in the selection.
void ShiftSections(int32_t delta);
// Scales the entries that start in the time selection about its start.
void ScaleSections(double factor);
// Removes the entries that start in from..to-1 (and end there too unless loose).
void DeleteSectionsInRange(uint32_t from, uint32_t to, bool loose);
