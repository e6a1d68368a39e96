// Widening the time selection to what is selected in the list windows: the current track's
// selected events (event list) and the selected conductor records (conductor list).
#pragma once

// The time selection from the first selected event's tick (not below 1) to the latest end of
// a selected event (a note's tick + duration, a sequence reference's tick + its length, any
// other event's tick + 1); every selected note widens gFilterLowNote..gFilterHighNote to its
// note. Nothing changes without a selected event.
void SpanSelectedEvents();
// The time selection from min(start, the selected records' ticks) to max(end - 1, their
// ticks) + 1 (start 1 when that maximum is 0). Nothing changes without a selected record.
void SpanSelectedConductorRecords();
