#include "editing/event_cursor.h"

#include <cstring>

#include "editing/paste_options.h"
#include "platform/memory/memory.h"
#include "song/events/event_filter_slots.h"
#include "song/events/event_lists.h"
#include "song/events/event_seek.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_template.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

uint32_t gRemovedEventBytes = 0;
uint8_t* gEventWriteCursor = nullptr;
uint8_t gCursorAdvanceArmed = 1;

uint8_t* SetCurrentEvent(uint8_t* event) {
  gCurrentEvent = event;
  gRemovedEventBytes = 0;
  gCursorAdvanceArmed = 1;
  return event;
}

uint8_t* TargetCurrentTrack() {
  uint8_t* list = GetCurrentTrackEventsPtr();
  if (list == nullptr) return SetCurrentEvent(nullptr);
  return SetCurrentEvent(SeekEventList(list, int32_t(gTimeSelection.start.tick)));
}

uint8_t* SeekEditStart() {
  if (SplitsNotesAtEdges()) return SetCurrentEvent(GetCurrentTrackEventsPtr());
  return TargetCurrentTrack();
}

void AdvanceEventCursor() {
  if (gCursorAdvanceArmed == 0) {
    gCursorAdvanceArmed = 1;
    return;
  }
  NextEvent();
}

uint32_t SplitCursorEvent() {
  if (gCurrentEvent == nullptr) return 0;
  return SplitEventStatus(gCurrentEvent);
}

void InitSeqEventHeader(uint8_t* event, uint32_t tick) {
  SetSeqEventTime(event, tick < 1 ? 1 : tick);
  event[kEventStatus] = gEventCommand > 127 ? uint8_t(gEventCommand | gEventChannel) : gEventCommand;
}

void InitCurrentEventHeader(uint32_t tick) {
  if (gCurrentEvent != nullptr) InitSeqEventHeader(gCurrentEvent, tick);
}

void SetEventDuration(uint8_t* event, int32_t ticks) {
  if (ticks < 1) ticks = 1;
  if (ticks > 65535) ticks = 65535;
  WriteU16BE(event + kEventDuration, uint16_t(ticks));
}

void SetCurrentEventDuration(int32_t ticks) {
  if (gCurrentEvent != nullptr) SetEventDuration(gCurrentEvent, ticks);
}

int16_t GetEventBendValue(const uint8_t* event) {
  return int16_t(uint16_t(event[kEventData1] + 128 * event[kEventData2]));
}

void AppendEventBytes(const uint8_t* bytes, int32_t n) {
  Handle list = GetCurrentTrackEventList();
  if (list == nullptr || n <= 0) return;
  uint8_t* data = reinterpret_cast<uint8_t*>(HandleData(list));
  Size size = GetHandleSize(list);
  // The old end record stands n + 14 bytes before the (grown) end.
  uint8_t* place = data + size - n - kEndRecordSize;
  std::memmove(place, bytes, size_t(n));
  std::memset(place + n, 0, kEndRecordSize);
}

OSErr AppendChannelEvent(uint8_t channel, uint32_t tick, uint8_t command, uint8_t data1, uint8_t data2) {
  uint8_t event[kShortEventSize] = {};
  SetSeqEventTime(event, tick < 1 ? 1 : tick);
  event[kEventStatus] = uint8_t((command & 0xF0) | (channel & 0x0F));
  event[kEventData1] = data1;
  event[kEventData2] = data2;
  OSErr err = GrowEventList(kShortEventSize);
  if (err != noErr) return err;
  AppendEventBytes(event, kShortEventSize);
  return noErr;
}

void ShrinkCurrentTrackEvents(uint32_t bytes) {
  Handle list = GetCurrentTrackEventList();
  if (list == nullptr || bytes == 0) return;
  Size size = GetHandleSize(list);
  Size newSize = size - Size(bytes);
  if (newSize < kEmptyEventListSize) newSize = kEmptyEventListSize;
  int8_t state = HGetState(list);
  HUnlock(list);
  SetHandleSize(list, newSize);
  HSetState(list, state);
  if (gCurrentTrack != nullptr && gCurrentTrack != gTrackTemplate) WriteU32BE(gCurrentTrack + kTrackEventBytes, uint32_t(GetHandleSize(list)));
  MarkEditorPanesDirty();
}

int32_t FoldNoteToMidiRange(int32_t note) {
  while (note < 0) note += 12;
  while (note > 127) note -= 12;
  return note;
}
