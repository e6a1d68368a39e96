#include "song/events/event_lists.h"

#include <cstring>

#include "platform/memory/memory.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/error_report.h"
#include "shell/base/memory_reserve.h"
#include "shell/base/untitled_name.h"
#include "song/events/event_index.h"
#include "song/model/editor_hooks.h"
#include "song/model/handle_bytes.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_entries.h"
#include "song/model/track_length.h"
#include "song/model/track_numbers.h"
#include "song/model/track_template.h"
#include "song/model/transport_hooks.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

uint8_t gEventTemplate[kLongEventSize];
int32_t gEventInsertOffset = 0;

namespace {

uint8_t* ListData(Handle list) { return reinterpret_cast<uint8_t*>(HandleData(list)); }

// Keeps the track's list-length field in step with the list handle.
void StoreListLength() {
  Handle list = GetCurrentTrackEventList();
  if (list && gCurrentTrack != gTrackTemplate)
    WriteU32BE(gCurrentTrack + kTrackEventBytes, uint32_t(GetHandleSize(list)));
}

bool IsBlankName(const uint8_t* name) {
  for (int i = 0; i < kTrackNameLength; ++i)
    if (name[i] != ' ' && name[i] != 0) return false;
  return true;
}

// Makes the 14 bytes at offset the end record and cuts the list behind it.
void CutEventListAt(Handle list, int32_t offset) {
  int8_t state = HGetState(list);
  HUnlock(list);
  SetHandleSize(list, offset + kEndRecordSize);
  HSetState(list, state);
  if (GetHandleSize(list) < offset + kEndRecordSize) return;
  std::memset(ListData(list) + offset, 0, kEndRecordSize);
}

const unsigned char kDatabaseBugText[] = "\x16Internal Database BUG!";

}  // namespace

OSErr EnsureTrackEventList() {
  if (!gCurrentSong) return memFullErr;
  if (GetCurrentTrackIndex() >= GetSongTrackCount() && !AddTrackEntryChecked(kTrackEntrySize))
    return memFullErr;
  if (gCurrentTrack == gTrackTemplate) return memFullErr;
  ClaimTrackNumber();
  if (ReadU32BE(gCurrentTrack + kTrackEventList)) return noErr;
  Handle list = NewHandleClear(kEmptyEventListSize);
  if (!list) return MemError() ? MemError() : OSErr(memFullErr);
  WriteU32BE(gCurrentTrack + kTrackEventList, list.id);
  if (IsBlankName(gCurrentTrack + kTrackName)) {
    SetTrackName(GetUntitledName());
    InvalidateCurrentTrackRow();
  }
  if (IsCurrentSongPlaying()) {
    WriteU32BE(gCurrentTrack + kTrackFirstEventOffset, 0);
    WriteU32BE(gCurrentTrack + kTrackPlayCursorStart, 0);
    EndTrackEdit();
  }
  WriteU32BE(gCurrentTrack + kTrackEventBytes, kEmptyEventListSize);
  InvalidateTrackWindow();
  BuildTrackEventIndex();
  return noErr;
}

OSErr GrowEventList(int32_t n) {
  Handle list = GetCurrentTrackEventList();
  if (!list) return nilHandleErr;
  int8_t state = HGetState(list);
  HUnlock(list);
  OSErr err = SetHandleSizeWithReserve(list, GetHandleSize(list) + n);
  HSetState(list, state);
  if (err != noErr) {
    ReportError(memFullErr);
    return err;
  }
  StoreListLength();
  return noErr;
}

void ShiftEventsUp(uint8_t* p, int32_t n) {
  Handle list = GetCurrentTrackEventList();
  uint8_t* end = ListData(list) + GetHandleSize(list);
  std::memmove(p + n, p, size_t(end - n - p));
}

void ShiftEventsDown(uint8_t* p, uint8_t* q) {
  Handle list = GetCurrentTrackEventList();
  uint8_t* end = ListData(list) + GetHandleSize(list);
  std::memmove(q, p, size_t(end - p));
}

void InsertEventBytes(uint32_t t, const uint8_t* source, int32_t n) {
  Handle list = GetCurrentTrackEventList();
  if (!list) return;
  uint8_t* start = ListData(list);
  uint8_t* place = FindEventAfterTime(start, int32_t(t));
  ShiftEventsUp(place, n);
  std::memmove(place, source, size_t(n));
  gEventInsertOffset = int32_t(place - start);
}

void InsertShortTemplate(uint32_t t) {
  SetSeqEventTime(gEventTemplate, t);
  InsertEventBytes(t, gEventTemplate, kShortEventSize);
  gEventTemplate[kEventFlags] = 0;
}

void ClearTemplateAndInsert(uint32_t t) {
  gEventTemplate[kEventFlags] &= uint8_t(~kEventMarks);
  gEventTemplate[kEventKindMarker] = kLongMarker;
  SetSeqEventTime(gEventTemplate, t);
  InsertEventBytes(t, gEventTemplate, kLongEventSize);
}

OSErr InsertTemplateEvent(uint32_t t) {
  Handle list = GetCurrentTrackEventList();
  if (!list) return nilHandleErr;
  int32_t offset = int32_t(FindEventAfterTime(ListData(list), int32_t(t)) - ListData(list));
  OSErr err = InsertHandleBytes(list, offset, kLongEventSize, false);
  if (err != noErr) return err;
  gEventTemplate[kEventKindMarker] = kLongMarker;
  SetSeqEventTime(gEventTemplate, t);
  std::memcpy(ListData(list) + offset, gEventTemplate, kLongEventSize);
  gEventInsertOffset = offset;
  StoreListLength();
  return noErr;
}

OSErr InsertShortEvent(int32_t channel, uint32_t t, uint8_t command, uint8_t data1,
                       uint8_t data2) {
  uint8_t status = uint8_t((command & 0xF0) | (channel & 0x0F));
  if (GetEventLengthByKind(status) != kShortEventSize) return paramErr;
  FillShortEvent(gEventTemplate, t, status, data1, data2);
  if (EnsureTrackEventList() != noErr) return 1;
  OSErr err = GrowEventList(kShortEventSize);
  if (err != noErr) return err;
  InsertShortTemplate(t);
  return noErr;
}

OSErr InsertSequenceReference(int32_t child, uint32_t start, uint32_t end) {
  OSErr err = EnsureTrackEventList();
  if (err != noErr) return err;
  err = GrowEventList(kLongEventSize);
  if (err != noErr) return err;
  std::memset(gEventTemplate, 0, kLongEventSize);
  SetSeqEventTime(gEventTemplate, start);
  gEventTemplate[kEventStatus] = kKindSequenceRef;
  WriteU16BE(gEventTemplate + kEventChildIndex, uint16_t(child * 4));
  SetEventLongDuration(gEventTemplate, end > start ? end - start : 1);
  ClearTemplateAndInsert(start);
  UpdateTrackEnd(end);
  MarkEditorRowsForRedraw();
  RedrawAll(0);
  SetSongModified();
  return noErr;
}

OSErr AppendEventRecords(const uint8_t* records, int32_t n) {
  for (int32_t at = 0; at < n;) {
    uint32_t length = SeqEventLengthWithin(records + at, uint32_t(n - at));
    if (length == 0 || SeqEventTime(records + at) == 0) return paramErr;
    at += int32_t(length);
  }
  OSErr err = EnsureTrackEventList();
  if (err != noErr) return err;
  Handle list = GetCurrentTrackEventList();
  Size old = GetHandleSize(list);
  err = GrowEventList(n);
  if (err != noErr) return err;
  uint8_t* data = ListData(list);
  std::memmove(data + old - kEndRecordSize, records, size_t(n));
  std::memset(data + old - kEndRecordSize + n, 0, kEndRecordSize);
  return noErr;
}

uint32_t GetCursorEventEnd() {
  if (!gCurrentEvent) return 0;
  return SeqEventTime(gCurrentEvent) + GetEventLongDuration(gCurrentEvent);
}

void RemoveEventAt(uint8_t* event, Handle list) {
  uint8_t* start = ListData(list);
  uint8_t* end = start + GetHandleSize(list);
  uint32_t length = SeqEventLengthWithin(event, uint32_t(end - event));
  if (length == 0) return;
  std::memmove(event, event + length, size_t(end - event - length));
}

void RemoveCursorEvent(uint8_t* event) {
  Handle list = GetCurrentTrackEventList();
  if (!list || !event) return;
  uint8_t* end = ListData(list) + GetHandleSize(list);
  uint32_t length = SeqEventLengthWithin(event, uint32_t(end - event));
  if (length == 0) return;
  RemoveEventAt(event, list);
  ShrinkHandle(list, int32_t(length));
  StoreListLength();
  MarkEditorRowsForRedraw();
}

int32_t GetEventCursorOffset() {
  uint8_t* start = GetCurrentTrackEventsPtr();
  return (start && gCurrentEvent) ? int32_t(gCurrentEvent - start) : -1;
}

void SetEventCursor(int32_t offset) {
  uint8_t* start = GetCurrentTrackEventsPtr();
  gCurrentEvent = (start && offset >= 0) ? start + offset : nullptr;
}

Size GetEventListSize() {
  Handle list = GetCurrentTrackEventList();
  return list ? GetHandleSize(list) : 0;
}

bool IsEventListEmpty() { return GetEventListSize() <= kEmptyEventListSize; }

int8_t GetEventListState() {
  Handle list = GetCurrentTrackEventList();
  return list ? HGetState(list) : 0;
}

void SetEventListState(int8_t state) {
  Handle list = GetCurrentTrackEventList();
  if (list) HSetState(list, state);
}

uint8_t* FindEventListEnd(uint8_t* list, Size size) {
  uint8_t* e = list;
  uint8_t* end = list + size;
  while (end - e >= kEndRecordSize) {
    if (SeqEventTime(e) == 0) return e;
    uint32_t length = SeqEventLengthWithin(e, uint32_t(end - e));
    if (length == 0) return e;
    e += length;
  }
  return e;
}

uint32_t LastEventEnd(Handle list, uint32_t t) {
  if (!list || !IsValidHandle(list)) return t;
  uint32_t latest = t;
  Size size = GetHandleSize(list);
  uint8_t* start = ListData(list);
  // One walk over the records that FindEventListEnd passes: it ends where that one stops.
  uint8_t* stop = start;
  for (uint8_t* limit = start + size; limit - stop >= kEndRecordSize && SeqEventTime(stop) != 0;) {
    uint32_t length = SeqEventLengthWithin(stop, uint32_t(limit - stop));
    if (length == 0) break;
    uint32_t time = SeqEventTime(stop);
    uint32_t end = time;
    if (SeqEventKind(stop) == kKindNote)
      end = time + GetNoteDuration(stop) - 1;
    else if (SeqEventKind(stop) == kKindSequenceRef)
      end = time + GetEventLongDuration(stop) - 1;
    if (end > latest) latest = end;
    stop += length;
  }
  bool damaged = stop + kEndRecordSize > start + size || SeqEventTime(stop) != 0 ||
                 stop + kEndRecordSize != start + size;
  if (damaged) {
    if (SeqEventTime(stop) != 0 || stop + kEndRecordSize > start + size)
      ShowAlertText(kDatabaseBugText);
    CutEventListAt(list, int32_t(stop - start));
  }
  return latest;
}
