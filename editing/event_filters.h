// The event filters: small procedures that say whether the event under the editing cursor
// (split, so gEventCommand and gEventChannel are valid) takes part in an operation, and the
// rules that install them by front window, view and context.
#pragma once

#include <cstdint>

#include "editors/timeline/lane_values.h"  // gLaneController: the controller the controller lane shows
#include "song/events/event_filter_slots.h"

extern uint8_t gFilterPolyKey;                // the poly-pressure lane's key (60)
extern uint8_t gEventCriteriaFlags;           // non-zero while event criteria are active

// The filter table, in its order, and the two filters beside it.
int32_t LaneEventFilter();
int32_t VelocityLaneFilter();
int32_t AcceptAllEvents();
int32_t NoteOnFilter();
int32_t UnflaggedEventFilter();
int32_t CriteriaCopyFilter();
int32_t NoteRangeFilter();
int32_t SelectedNoteFilter();
int32_t RejectAllEvents();
constexpr int32_t kEventFilterTableSize = 7;
extern const EventFilterProc kEventFilterTable[kEventFilterTableSize];

int32_t SelectedEventFilter();  // every selected event (IsCursorEventSelected)
// True for SelectedEventFilter: it reads nothing but the record's flags and draws no random
// number, so a walk may test the records with IsEventSelected without moving the cursor.
inline bool IsSelectionFilter(EventFilterProc filter) { return filter == SelectedEventFilter; }
// A note-on in the note range that also passes the criteria test.
int32_t CriteriaNoteFilter();
// A note-on whose drum-map row lies in the note range (or, while the map selects by marked
// rows, whose row is marked), with criteria also the criteria test. Without a drum map the
// note itself stands for its row.
int32_t DrumMapNoteFilter();
// The single lanes of LaneEventFilter.
int32_t PitchBendFilter();
int32_t ChannelPressureFilter();
int32_t LaneControllerFilter();
int32_t ProgramChangeFilter();
int32_t PolyPressureKeyFilter();

void SetDefaultEventFilters();
void SetNoteRangeEditFilter();
void SetLaneEditFilter();
void SetNoteRangeFilters();
// The main editor edits through the note range (see the filters' rules).
bool IsNoteRangeEditActive();
// The time selection starts at tick 1 or earlier and ends at or after the song's end.
bool IsWholeSongSelected();
// By the front window; always ends with gSavedCopyFilterProc = gCopyFilterProc.
void UpdateEventFilters();
// By gEditContextKind; run at the end of SetEditContextKind. Returns 0.
int32_t InstallContextFilters();

// The three slots saved and put back by operations that install filters of their own.
struct SavedEventFilters {
  EventFilterProc edit;
  EventFilterProc copy;
  EventFilterProc savedCopy;
};
SavedEventFilters SaveEventFilters();
void RestoreEventFilters(const SavedEventFilters& saved);
