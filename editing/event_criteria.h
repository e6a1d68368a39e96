// The event criteria test: what the criteria note filter asks of a note-on beyond the note
// range while criteria are active (gEventCriteriaFlags).
#pragma once

#include <cstdint>

// 1 when the note-on at gCurrentEvent passes the active criteria, else 0.
//
// Interim: the criteria settings (velocity range, bar positions) are not built; a note-on in
// gFilterLowNote..gFilterHighNote passes.
int32_t TestEventCriteria();
