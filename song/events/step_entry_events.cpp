#include "song/events/step_entry_events.h"

#include <cstring>

#include "platform/memory/memory.h"
#include "song/events/event_lists.h"
#include "song/events/event_seek.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/editor_hooks.h"
#include "song/model/handle_bytes.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_length.h"
#include "song/model/track_template.h"
#include "song/model/utility_track_access.h"

namespace {

uint8_t* ListStart(Handle list) { return reinterpret_cast<uint8_t*>(HandleData(list)); }

uint32_t BytesLeft(Handle list, const uint8_t* at) {
  return uint32_t(ListStart(list) + GetHandleSize(list) - at);
}

}  // namespace

uint32_t TakeCursorEventIntoTemplate() {
  Handle list = GetCurrentTrackEventList();
  if (!list || !gCurrentEvent) return 0;
  uint32_t left = BytesLeft(list, gCurrentEvent);
  uint32_t length = SeqEventLengthWithin(gCurrentEvent, left);
  if (length == 0) return 0;
  std::memset(gEventTemplate, 0, sizeof gEventTemplate);
  std::memcpy(gEventTemplate, gCurrentEvent, left < kLongEventSize ? left : kLongEventSize);
  RemoveEventAt(gCurrentEvent, list);
  return length;
}

void TakeCursorEventOut(uint8_t* buffer, int32_t length) {
  BeginTrackEdit();
  uint32_t removed = TakeCursorEventIntoTemplate();
  Handle list = GetCurrentTrackEventList();
  if (removed > 0 && list) {
    ShrinkHandle(list, int32_t(removed));
    WriteU32BE(gCurrentTrack + kTrackEventBytes, uint32_t(GetHandleSize(list)));
    MarkEditorRowsForRedraw();
  }
  if (length > kLongEventSize) length = kLongEventSize;
  if (length > 0) std::memcpy(buffer, gEventTemplate, size_t(length));
  EndTrackEdit();
  SetTimeRangeAt(SeqEventTime(gEventTemplate));
}

int32_t TemplateEventReachesTrackEnd() {
  uint32_t end = SeqEventTime(gEventTemplate) + GetNoteDuration(gEventTemplate);
  return end >= GetTrackLength() ? 1 : 0;
}

int32_t RemoveMatchingEvent(uint8_t* event) {
  event[kEventKindMarker] = kLongMarker;
  uint8_t kind = SeqEventKind(event);
  SetTimeRangeAt(SeqEventTime(event));
  if (kind == kKindEnd || kind == kKindVariable) return 0;
  uint32_t length = GetSeqEventLength(event);
  Handle list = GetCurrentTrackEventList();
  if (!list || length == 0 || length > kLongEventSize) return 0;
  uint8_t* e = SeekEventList(ListStart(list), int32_t(gTimeSelection.start.tick));
  while (e && SeqEventTime(e) != 0) {
    uint32_t here = SeqEventLengthWithin(e, BytesLeft(list, e));
    if (here == 0) return 0;
    event[kEventFlags] = e[kEventFlags];
    if (here == length && std::memcmp(e, event, length) == 0) {
      gCurrentEvent = e;
      TakeCursorEventOut(event, int32_t(length));
      return kind == kKindNote ? TemplateEventReachesTrackEnd() : 1;
    }
    e += here;
  }
  return 0;
}
