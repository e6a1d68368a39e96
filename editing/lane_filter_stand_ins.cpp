// Interim: the lane filters and the note-range rules are completed with the event filters;
// until then these weak stand-ins answer by event kind alone (the controller lane takes no
// event, there is no note range). The event filters' own definitions replace them at link
// time, and this file goes once they exist.
#include "editing/event_filters.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"

__attribute__((weak)) int32_t PitchBendFilter() { return gEventCommand == kKindPitchBend ? 1 : 0; }
__attribute__((weak)) int32_t ChannelPressureFilter() {
  return gEventCommand == kKindChannelPressure ? 1 : 0;
}
__attribute__((weak)) int32_t ProgramChangeFilter() { return gEventCommand == kKindProgram ? 1 : 0; }
__attribute__((weak)) int32_t LaneControllerFilter() { return 0; }
__attribute__((weak)) int32_t PolyPressureKeyFilter() {
  return gEventCommand == kKindPolyPressure && gCurrentEvent && gCurrentEvent[kEventData1] == gFilterPolyKey ? 1 : 0;
}
__attribute__((weak)) bool IsNoteRangeEditActive() { return false; }
__attribute__((weak)) void SetNoteRangeFilters() {}
