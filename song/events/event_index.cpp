#include "song/events/event_index.h"

#include <cstring>

#include "platform/memory/memory.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/app_strings.h"
#include "shell/base/error_report.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_template.h"
#include "song/model/utility_iteration.h"
#include "song/model/utility_track_access.h"

int16_t gOverviewRowHeight = 14;
int16_t gOverviewZoomShift = 0;
Handle gEventIndexes[kEventIndexSlots];

namespace {

constexpr int16_t kTrackTextList = 141;
constexpr int16_t kBadEventText = 21;   // item 22
constexpr int16_t kListCutText = 52;    // item 53 of the general list

struct IndexEntry {
  uint32_t start;
  uint32_t end;
  uint16_t cls;
};

uint8_t* IndexData(Handle index) { return reinterpret_cast<uint8_t*>(HandleData(index)); }
uint32_t IndexBytes(Handle index) { return ReadU32BE(IndexData(index)); }

// The class and end of a record; false for a record that cannot be indexed.
bool ClassifyEvent(const uint8_t* e, uint16_t* cls, uint32_t* end) {
  uint32_t time = SeqEventTime(e);
  uint8_t kind = SeqEventKind(e);
  *end = time;
  if (kind == kKindNote && e[kEventKindMarker] == kLongMarker) {
    *cls = kIndexClassNote;
    *end = time + GetNoteDuration(e);
  } else if (kind == kKindSequenceRef) {
    *cls = kIndexClassSequence;
    *end = time + GetEventLongDuration(e);
  } else if (kind == kKindVariable) {
    *cls = kIndexClassVariable;
  } else {
    // Every other kind the length table defines (0x10-0x30, 0x60-0x80, 0xA0-0xF0).
    *cls = kIndexClassOther;
  }
  return true;
}

// The index while it fills: its entries reached through one pointer, taken again only when
// the handle grows; the header's byte count is written when the walk ends.
struct IndexWriter {
  Handle index;
  uint8_t* data;
  uint32_t count;
  Size size;
};

uint8_t* EntryAt(IndexWriter* w, uint32_t n) { return w->data + kEventIndexHeader + n * kEventIndexEntry; }

IndexWriter StartIndexWriter(Handle index) {
  return IndexWriter{index, IndexData(index), IndexBytes(index) / kEventIndexEntry, GetHandleSize(index)};
}

void FinishIndexWriter(IndexWriter* w) { WriteU32BE(w->data, w->count * kEventIndexEntry); }

// Appends an entry, or lets an overlapping entry of the same class absorb it.
OSErr AddEventIndexEntry(IndexWriter* w, uint32_t start, uint32_t end, uint16_t cls) {
  uint32_t shift = uint32_t(gOverviewZoomShift > 0 ? gOverviewZoomShift : 0);
  start >>= shift;
  end >>= shift;
  if (end == start) end = start + 2;
  uint32_t count = w->count;
  if (count > 0 && ReadU32BE(EntryAt(w, count - 1) + 4) >= start) {
    uint32_t n = count;
    while (n > 0 && ReadU32BE(EntryAt(w, n - 1) + 4) >= start) {
      uint8_t* entry = EntryAt(w, n - 1);
      if (ReadU16BE(entry + 8) == cls) {
        if (end > ReadU32BE(entry + 4)) WriteU32BE(entry + 4, end);
        return noErr;
      }
      --n;
    }
    if (n == 0 && (cls == kIndexClassNote || cls == kIndexClassSequence)) {
      start = ReadU32BE(EntryAt(w, count - 1) + 4);
      if (end <= start) end = start + 2;
    }
  }
  uint32_t used = kEventIndexHeader + count * kEventIndexEntry;
  if (uint32_t(w->size) - used < 20) {
    FinishIndexWriter(w);
    SetHandleSize(w->index, w->size + kEventIndexGrowth);
    if (MemError() != noErr) return MemError();
    w->data = IndexData(w->index);
    w->size = GetHandleSize(w->index);
  }
  uint8_t* entry = w->data + used;
  WriteU32BE(entry, start);
  WriteU32BE(entry + 4, end);
  WriteU16BE(entry + 8, cls);
  w->count = count + 1;
  return noErr;
}

// Tells the user that the list of the current track was cut at a damaged record.
void ReportCutList() {
  Str255 text;
  gStringBuffer[0] = 0;
  AppendIndString(kTrackTextList, kBadEventText);
  PLstrcpy(text, gStringBuffer);
  Str255 number;
  NumToString(gCurrentTrack[kTrackNumber] + 1, number);
  PLstrcat(text, number);
  AppendPChar(text, ':');
  Str255 name;
  name[0] = kTrackNameLength;
  std::memcpy(name + 1, gCurrentTrack + kTrackName, kTrackNameLength);
  PLstrcat(text, name);
  PLstrcat(text, GetAppString(kListCutText));
  ShowAlertText(text);
}

// Walks the list into the index; a record that cannot be walked over ends the list there.
OSErr IndexEventList(Handle list, Handle index) {
  Size size = GetHandleSize(list);
  uint8_t* start = reinterpret_cast<uint8_t*>(HandleData(list));
  uint8_t* e = start;
  IndexWriter writer = StartIndexWriter(index);
  while (start + size - e >= kEndRecordSize && SeqEventTime(e) != 0) {
    uint32_t length = SeqEventLengthWithin(e, uint32_t(start + size - e));
    uint16_t cls = 0;
    uint32_t end = 0;
    if (length == 0 || !ClassifyEvent(e, &cls, &end)) break;
    OSErr err = AddEventIndexEntry(&writer, SeqEventTime(e), end, cls);
    if (err != noErr) return err;
    e += length;
  }
  FinishIndexWriter(&writer);
  bool clean = start + size - e == kEndRecordSize && SeqEventTime(e) == 0;
  if (clean) return noErr;
  int32_t offset = int32_t(e - start);
  if (start + size - e >= kEndRecordSize && SeqEventTime(e) != 0) ReportCutList();
  HUnlock(list);
  SetHandleSize(list, offset + kEndRecordSize);
  HLock(list);
  if (GetHandleSize(list) == offset + kEndRecordSize)
    std::memset(HandleData(list) + offset, 0, kEndRecordSize);
  if (gCurrentTrack != gTrackTemplate)
    WriteU32BE(gCurrentTrack + kTrackEventBytes, uint32_t(GetHandleSize(list)));
  return noErr;
}

// Makes room for one entry per record of a list of listBytes (a record takes at least a
// short event's bytes): the index then neither moves nor grows while it fills, where growing
// it step by step copied it again and again; its size is cut to its entries at the end.
// Without the room the index grows as it fills.
void ReserveIndexRoom(Handle index, Size listBytes) {
  Size room = kEventIndexHeader + (listBytes / kShortEventSize + 1) * kEventIndexEntry;
  if (room > GetHandleSize(index)) SetHandleSize(index, room);
}

}  // namespace

bool IsEventIndexDisabled() { return gOverviewRowHeight > 14; }

OSErr BuildTrackEventIndex() {
  if (IsEventIndexDisabled()) return noErr;
  int32_t slot = GetCurrentTrackIndex();
  if (slot < 0 || slot >= kEventIndexSlots || !HasValidCurrentTrack()) return noErr;
  DisposeTrackEventIndex();
  Handle list = GetCurrentTrackEventList();
  if (!list) return noErr;
  Handle index = NewHandleClear(kEventIndexInitialSize);
  if (!index) {
    gIterationAbort = 1;
    return MemError() ? MemError() : OSErr(memFullErr);
  }
  ReserveIndexRoom(index, GetHandleSize(list));
  uint8_t* savedEvent = gCurrentEvent;
  int32_t savedOffset = GetEventCursorOffset();
  uint8_t savedKind = gCurrentEventKind;
  uint8_t savedChannel = gCurrentEventChannel;
  int8_t state = HGetState(list);
  HLock(list);
  OSErr err = IndexEventList(list, index);
  HSetState(list, state);
  gCurrentEvent = savedEvent;
  if (savedEvent && savedOffset >= 0 && savedOffset < GetHandleSize(list))
    SetEventCursor(savedOffset);
  gCurrentEventKind = savedKind;
  gCurrentEventChannel = savedChannel;
  if (err != noErr) {
    DisposeHandle(index);
    return err;
  }
  SetHandleSize(index, Size(IndexBytes(index)) + kEventIndexHeader);
  gEventIndexes[slot] = index;
  return noErr;
}

void DisposeTrackEventIndex() {
  int32_t slot = GetCurrentTrackIndex();
  if (slot < 0 || slot >= kEventIndexSlots) return;
  if (gEventIndexes[slot]) DisposeHandle(gEventIndexes[slot]);
  gEventIndexes[slot] = Handle();
}

void DisposeAllEventIndexes() {
  for (Handle& index : gEventIndexes) {
    if (index) DisposeHandle(index);
    index = Handle();
  }
}

namespace {
int32_t BuildIndexCallback(void*) {
  OSErr err = BuildTrackEventIndex();
  if (err != noErr) gIterationAbort = 1;
  return err;
}
}  // namespace

OSErr RebuildEventIndexes() {
  DisposeAllEventIndexes();
  return OSErr(ForEachTrack(BuildIndexCallback, nullptr));
}
