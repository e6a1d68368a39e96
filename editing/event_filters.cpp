#include "editing/event_filters.h"

#include "song/events/seq_event.h"
#include "song/model/song_context.h"

// Interim: the plain filters and the slots; the lane, range, criteria and selection filters
// and the installers by window and context come with the edit contexts.

uint8_t gFilterPolyKey = 60;
uint8_t gEventCriteriaFlags = 0;

int32_t AcceptAllEvents() { return 1; }
int32_t RejectAllEvents() { return 0; }
int32_t NoteOnFilter() { return gEventCommand == kKindNote ? 1 : 0; }
int32_t UnflaggedEventFilter() {
  return gCurrentEvent != nullptr && (gCurrentEvent[kEventFlags] & kEventMarks) == 0 ? 1 : 0;
}

SavedEventFilters SaveEventFilters() { return {gEditFilterProc, gCopyFilterProc, gSavedCopyFilterProc}; }

void RestoreEventFilters(const SavedEventFilters& saved) {
  gEditFilterProc = saved.edit;
  gCopyFilterProc = saved.copy;
  gSavedCopyFilterProc = saved.savedCopy;
}

void SetDefaultEventFilters() {
  gEditFilterProc = NoteOnFilter;
  gCopyFilterProc = AcceptAllEvents;
}

void UpdateEventFilters() {
  SetDefaultEventFilters();
  gSavedCopyFilterProc = gCopyFilterProc;
}

int32_t InstallContextFilters() {
  UpdateEventFilters();
  return 0;
}
