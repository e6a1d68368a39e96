// Selecting events of the current track by time, and the time-selection tests.
#pragma once

#include <cstdint>

#include "song/events/seq_event.h"

using EventPredicate = bool (*)(const uint8_t* event);

void ClearEventSelection();
// Selected and not excluded by either mark.
inline bool IsEventSelected(const uint8_t* event) {
  constexpr uint8_t kSelectionExcluded = kEventSelected | kEventMarks;
  return (event[kEventFlags] & kSelectionExcluded) == kEventSelected;
}
bool IsCursorEventSelected();
// Request bit 1 deselects a selected cursor event, bit 2 selects an unselected one.
void UpdateCursorEventSelection(int32_t request);
uint32_t GetEventEndTime(const uint8_t* event);
void ExtendSelectionToEvent(uint32_t t, bool useDrum);
void RecomputeSelectionFromEvents(bool collapse);
// 1 inside, 0 not taken, -1 stop the walk.
int32_t TestEventInSelection(const uint8_t* event, EventPredicate predicate);
void SelectEventsInTimeSelection(int32_t toggle);
void SelectEventsInRange();
void ToggleEventsInRange();

// The note range that ExtendSelectionToEvent widens (low and high note of the selection).
extern uint8_t gSelectionLowNote;
extern uint8_t gSelectionHighNote;
// The editor's mode byte (bit 7: walks start at the selection start).
extern uint8_t gEditorModeByte;

// Time selection tests.
bool IsTimeInSelection(uint32_t t);
bool HasTimeSelection();
// Negative: the time display shows samples, so HasTimeSelection compares sample words.
extern int8_t gTimeDisplayMode;
