#include "editing/event_criteria.h"

#include "editors/timeline/click_state.h"
#include "song/events/event_filter_slots.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"

int32_t TestEventCriteria() {
  if (gCurrentEvent == nullptr || gEventCommand != kKindNote) return 0;
  uint8_t note = gCurrentEvent[kEventData1];
  return note >= gFilterLowNote && note <= gFilterHighNote ? 1 : 0;
}
