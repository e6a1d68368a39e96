#include "song/events/event_filter_slots.h"

#include "song/events/seq_event.h"
#include "song/model/song_context.h"

uint8_t gEventCommand = 0;
uint8_t gEventChannel = 0;
EventFilterProc gEditFilterProc = nullptr;
EventFilterProc gCopyFilterProc = nullptr;
EventFilterProc gSavedCopyFilterProc = nullptr;

uint32_t SplitEventStatus(const uint8_t* event) {
  if (event == nullptr) return 0;
  gEventCommand = event[kEventStatus] & 0xF0;
  gEventChannel = event[kEventStatus] & 0x0F;
  return SeqEventTime(event);
}

bool RunEventFilter(EventFilterProc filter) { return filter == nullptr || filter() != 0; }

bool EventPassesFilter(EventFilterProc filter, const uint8_t* event) {
  if (filter == nullptr) return true;
  uint8_t* savedEvent = gCurrentEvent;
  uint8_t savedCommand = gEventCommand, savedChannel = gEventChannel;
  gCurrentEvent = const_cast<uint8_t*>(event);
  SplitEventStatus(event);
  bool accepted = filter() != 0;
  gCurrentEvent = savedEvent;
  gEventCommand = savedCommand;
  gEventChannel = savedChannel;
  return accepted;
}
