#include "song/conductor/markers.h"

#include <cstring>

#include "platform/memory/memory.h"
#include "shell/base/error_report.h"
#include "shell/base/memory_reserve.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/conductor_refresh_hooks.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/marker_window_hooks.h"
#include "song/events/time_selection.h"
#include "song/events/utility_event_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/window_redraw.h"

uint8_t gNoMarker[6] = {0x7f, 0xff, 0xff, 0xff, 0, 0};

namespace {

Handle ListHandle(const uint8_t* song) {
  return song ? Handle(ReadU32BE(song + kSongMarkerList)) : Handle();
}

uint8_t* ListData(Handle h) {
  if (!h || !IsValidHandle(h)) return nullptr;
  return reinterpret_cast<uint8_t*>(HandleData(h));
}

// The size of the record at r when its name lies inside limit bytes from r; 0 otherwise.
int32_t RecordSizeWithin(const uint8_t* r, int64_t limit) {
  if (limit < kMarkerPlainNameOffset + 1) return 0;  // not even the kind byte and a name length
  int32_t nameOffset = r[kMarkerKindOffset] ? kMarkerNameOffset : kMarkerPlainNameOffset;
  if (limit < nameOffset + 1) return 0;
  int32_t size = MarkerRecordSizeFor(r[nameOffset], r[kMarkerKindOffset]);
  return size <= limit ? size : 0;
}

// The current song's list, validated: base, byte size and count. Null without a list.
struct MarkerList {
  Handle handle;
  uint8_t* base = nullptr;
  int32_t count = 0;
  explicit operator bool() const { return base != nullptr; }
  uint8_t* First() const { return base + kMarkerListHeader; }
};

MarkerList CurrentList() {
  MarkerList list;
  if (!gCurrentSong) return list;
  ValidateMarkerList(gCurrentSong);
  list.handle = ListHandle(gCurrentSong);
  list.base = ListData(list.handle);
  if (list.base) list.count = int32_t(ReadU32BE(list.base));
  return list;
}

// True when record is the start of one of the list's records.
bool IsInsideList(const MarkerList& list, const uint8_t* record) {
  uint8_t* r = list.First();
  for (int32_t i = 0; i < list.count; ++i, r += RecordSizeWithin(r, 1 << 30))
    if (r == record) return true;
  return false;
}

int32_t OffsetOfMarker(const MarkerList& list, int32_t n) {
  int32_t offset = kMarkerListHeader;
  for (int32_t i = 0; i < n; ++i) offset += RecordSizeWithin(list.base + offset, 1 << 30);
  return offset;
}

void CopyName(ConstStr255Param name, Str255 copy) {
  if (name)
    std::memcpy(copy, name, size_t(name[0]) + 1);
  else
    copy[0] = 0;
}

void FillMarker(uint8_t* r, ConstStr255Param name, uint32_t tick, uint8_t kind, uint8_t flags,
                uint32_t time, uint16_t value, uint16_t length) {
  int32_t size = MarkerRecordSizeFor(name[0], kind);
  WriteU32BE(r + kMarkerTickOffset, tick);
  r[kMarkerKindOffset] = kind;
  uint8_t* namePlace = r + kMarkerPlainNameOffset;
  if (kind != kMarkerKindPlain) {
    r[kMarkerFlagsOffset] = flags;
    WriteU32BE(r + kMarkerTimeOffset, time ? time : TickToTime(int32_t(tick)));
    WriteU16BE(r + kMarkerValueOffset, value);
    WriteU16BE(r + kMarkerLengthOffset, length);
    namePlace = r + kMarkerNameOffset;
  }
  std::memcpy(namePlace, name, size_t(name[0]) + 1);
  uint8_t* end = namePlace + name[0] + 1;
  if (end < r + size) *end = 0;
}

void SetMarkerTick(uint8_t* r, uint32_t tick) { WriteU32BE(r + kMarkerTickOffset, tick); }

uint32_t ClampMarkerTick(int64_t t) {
  if (t < 1) return 1;
  if (t >= int64_t(kMarkerEndTick)) return kMarkerEndTick - 1;
  return uint32_t(t);
}

}  // namespace

int32_t MarkerRecordSizeFor(int32_t nameLength, uint8_t kind) {
  int32_t size = (kind == kMarkerKindPlain ? 6 : 15) + nameLength;
  return (size + 1) & ~1;
}

int32_t MarkerRecordSize(ConstStr255Param name, uint8_t kind) {
  return MarkerRecordSizeFor(name ? name[0] : 0, kind);
}

OSErr ValidateMarkerList(uint8_t* song) {
  Handle h = ListHandle(song);
  if (!h) return noErr;
  uint8_t* base = ListData(h);
  if (!base) {
    WriteU32BE(song + kSongMarkerList, 0);
    return paramErr;
  }
  int64_t size = GetHandleSize(h);
  if (size < kMarkerListEmptySize) {
    SetHandleSize(h, kMarkerListEmptySize);
    if (MemError() != noErr) return MemError();
    base = ListData(h);
    WriteU32BE(base, 0);
    WriteU32BE(base + kMarkerListHeader, kMarkerEndTick);
    return paramErr;
  }
  uint32_t count = ReadU32BE(base);
  int64_t offset = kMarkerListHeader;
  uint32_t whole = 0;
  for (; whole < count; ++whole) {
    int32_t record = RecordSizeWithin(base + offset, size - 4 - offset);
    if (record == 0) break;
    offset += record;
  }
  bool ok = whole == count && offset + 4 <= size && ReadU32BE(base + offset) == kMarkerEndTick;
  if (ok) return noErr;
  WriteU32BE(base, whole);
  WriteU32BE(base + offset, kMarkerEndTick);
  if (offset + 4 < size) SetHandleSize(h, Size(offset + 4));
  return paramErr;
}

int32_t CountMarkers() { return CurrentList().count; }

Size GetMarkerListSize() {
  MarkerList list = CurrentList();
  return list ? GetHandleSize(list.handle) : 0;
}

uint8_t* GetMarkerAt(int32_t n) {
  MarkerList list = CurrentList();
  if (!list || n < 0 || n >= list.count) return gNoMarker;
  return list.base + OffsetOfMarker(list, n);
}

uint8_t* GetMarkerName(uint8_t* record) {
  return record + (MarkerKind(record) ? kMarkerNameOffset : kMarkerPlainNameOffset);
}

uint8_t* GetNextMarker(uint8_t* record) {
  return record + MarkerRecordSizeFor(GetMarkerName(record)[0], MarkerKind(record));
}

bool IsMarkerLockedToTime(const uint8_t* record) {
  return MarkerKind(record) != kMarkerKindPlain && (record[kMarkerFlagsOffset] & kMarkerLockedToTime);
}

uint8_t* FindMarkerInsertPoint(uint32_t tick, uint8_t* first) {
  uint8_t* r = first;
  while (MarkerTick(r) != kMarkerEndTick && MarkerTick(r) <= tick) r = GetNextMarker(r);
  return r;
}

OSErr StoreMarker(ConstStr255Param name, uint32_t tick, uint8_t kind, uint8_t flags,
                  uint32_t time, uint16_t value, uint8_t* existing, uint16_t length) {
  MarkerList list = CurrentList();
  if (!list) return paramErr;
  Str255 copy;
  CopyName(name, copy);
  Size listSize = GetHandleSize(list.handle);
  if (existing && !IsInsideList(list, existing)) return paramErr;
  int32_t at;
  int32_t oldSize = 0;
  if (existing) {
    at = int32_t(existing - list.base);
    kind = MarkerKind(existing);
    oldSize = MarkerRecordSizeFor(GetMarkerName(existing)[0], kind);
  } else {
    at = int32_t(FindMarkerInsertPoint(tick, list.First()) - list.base);
  }
  int32_t newSize = MarkerRecordSizeFor(copy[0], kind);
  int32_t tailFrom = at + oldSize;
  size_t tailLength = size_t(listSize - tailFrom);
  if (newSize > oldSize) {
    OSErr err = SetHandleSizeWithReserve(list.handle, listSize + newSize - oldSize);
    if (err != noErr) {
      AlertInsufficientMemory(err);
      return err;
    }
    uint8_t* base = ListData(list.handle);
    std::memmove(base + at + newSize, base + tailFrom, tailLength);
    std::memset(base + at + oldSize, 0, size_t(newSize - oldSize));
  } else if (newSize < oldSize) {
    std::memmove(list.base + at + newSize, list.base + tailFrom, tailLength);
    SetHandleSize(list.handle, listSize - (oldSize - newSize));
  }
  uint8_t* base = ListData(list.handle);
  if (!existing) WriteU32BE(base, ReadU32BE(base) + 1);
  FillMarker(base + at, copy, tick, kind, flags, time, value, length);
  return noErr;
}

OSErr AddMarker(ConstStr255Param name, uint32_t tick, uint8_t kind, int32_t locked,
                uint32_t time) {
  return StoreMarker(name, tick, kind, locked > 0 ? kMarkerLockedToTime : 0, time, 0, nullptr, 0);
}

OSErr AddMarkerWithFlags(ConstStr255Param name, uint8_t kind, uint32_t tick, int32_t locked,
                         uint32_t time, uint16_t value, uint8_t* existing, uint16_t length) {
  uint8_t flags = locked ? (kMarkerSelected | kMarkerLockedToTime) : kMarkerSelected;
  return StoreMarker(name, tick, kind, flags, time, value, existing, length);
}

OSErr ReplaceMarker(ConstStr255Param name, uint32_t tick, int32_t locked, uint32_t time,
                    int32_t index, uint16_t length, uint16_t value, uint8_t flags) {
  Str255 copy;
  CopyName(name, copy);
  uint8_t kind = 1;
  if (index >= 0 && index < CountMarkers()) {
    uint8_t* old = GetMarkerAt(index);
    kind = MarkerKind(old);
    if (IsMarkerLockedToTime(old)) {
      time = MarkerTime(old);
      locked = 1;
    }
    DeleteMarker(old);
  }
  if (locked) flags |= kMarkerLockedToTime;
  OSErr err = StoreMarker(copy, tick, kind, flags, time, value, nullptr, length);
  RedrawMarkerViews();
  return err;
}

OSErr DeleteMarker(uint8_t* record) {
  MarkerList list = CurrentList();
  if (!list || !IsInsideList(list, record)) return paramErr;
  Size listSize = GetHandleSize(list.handle);
  int32_t at = int32_t(record - list.base);
  int32_t size = MarkerRecordSizeFor(GetMarkerName(record)[0], MarkerKind(record));
  std::memmove(list.base + at, list.base + at + size, size_t(listSize - at - size));
  WriteU32BE(list.base, ReadU32BE(list.base) - 1);
  SetHandleSize(list.handle, listSize - size);
  return MemError();
}

void DeleteSelectedMarkers() {
  for (int32_t i = CountMarkers() - 1; i >= 0; --i) {
    uint8_t* r = GetMarkerAt(i);
    if (!(MarkerFlags(r) & kMarkerSelected)) continue;
    DeleteMarker(r);
    FollowDeletedMarker(i);
  }
  SetSongModified();
  RedrawMarkerViews();
}

void ClearMarkerSelection() {
  for (int32_t i = CountMarkers() - 1; i >= 0; --i) {
    uint8_t* r = GetMarkerAt(i);
    if (MarkerKind(r) != kMarkerKindPlain) r[kMarkerFlagsOffset] &= uint8_t(~kMarkerSelected);
  }
}

void SortMarkers() {
  MarkerList list = CurrentList();
  if (!list || list.count < 2) return;
  uint8_t buffer[kMarkerSwapBufferSize];
  int32_t last = list.count - 1;
  while (last > 0) {
    int32_t lastSwap = 0;
    uint8_t* a = list.First();
    for (int32_t j = 0; j < last; ++j) {
      uint8_t* b = GetNextMarker(a);
      if (int32_t(MarkerTick(a)) > int32_t(MarkerTick(b))) {
        size_t sizeA = size_t(b - a);
        size_t sizeB = size_t(GetNextMarker(b) - b);
        std::memcpy(buffer, a, sizeA);
        std::memmove(a, b, sizeB);
        std::memcpy(a + sizeB, buffer, sizeA);
        a += sizeB;
        lastSwap = j;
      } else {
        a = b;
      }
    }
    last = lastSwap;
  }
}

void UpdateLockedMarkerTick(uint8_t* record) {
  SetMarkerTick(record, uint32_t(TimeToTick(int32_t(MarkerTime(record)))));
}

void ShiftMarkers(uint32_t start, uint32_t end, int32_t delta) {
  MarkerList list = CurrentList();
  if (!list) return;
  int32_t offset = kMarkerListHeader;
  int32_t count = list.count;
  for (int32_t i = 0; i < count;) {
    uint8_t* r = ListData(list.handle) + offset;
    uint32_t tick = MarkerTick(r);
    if (IsMarkerLockedToTime(r)) {
      UpdateLockedMarkerTick(r);
    } else if (delta <= 0 && tick != 0 && tick >= start && tick < end) {
      DeleteMarker(r);
      --count;
      continue;
    } else if (tick >= start) {
      uint32_t moved = ClampMarkerTick(int64_t(tick) + delta);
      SetMarkerTick(r, moved);
      if (MarkerKind(r) != kMarkerKindPlain)
        WriteU32BE(r + kMarkerTimeOffset, TickToTime(int32_t(moved)));
    }
    offset += MarkerRecordSizeFor(GetMarkerName(r)[0], MarkerKind(r));
    ++i;
  }
  SortMarkers();
}

void ShiftMarkersInSelection(int32_t delta) {
  ShiftMarkers(gTimeSelection.start.tick, gTimeSelection.end.tick, delta);
  InvalidateTrackWindow();
}

OSErr PasteMarkerList(Handle list, const uint8_t* clip) {
  uint8_t* source = ListData(list);
  if (!source || !clip) return noErr;
  uint32_t clipStart = ReadU32BE(clip);
  uint32_t clipEnd = ReadU32BE(clip + 16);
  uint8_t replaceByte = clip[35];
  uint32_t mode = ReadU32BE(clip + 36);
  uint32_t selectionStart = gTimeSelection.start.tick;
  if (replaceByte == 0)
    ShiftMarkers(selectionStart, uint32_t(int64_t(selectionStart) + clipEnd - clipStart), 0);
  int64_t size = GetHandleSize(list);
  if (size < kMarkerListHeader) return noErr;
  uint32_t count = ReadU32BE(source);
  int64_t offset = kMarkerListHeader;
  for (uint32_t i = 0; i < count; ++i) {
    source = ListData(list);
    uint8_t* r = source + offset;
    int32_t recordSize = RecordSizeWithin(r, size - offset);
    if (recordSize == 0) break;
    uint32_t tick = MarkerTick(r);
    bool take = mode != 0 ? (tick >= clipStart && tick < clipEnd)
                          : (MarkerFlags(r) & kMarkerSelected) != 0;
    if (take) {
      Str255 name;
      CopyName(GetMarkerName(r), name);
      uint32_t at = ClampMarkerTick(int64_t(tick) - clipStart + selectionStart);
      ReplaceMarker(name, at, 0, 0, -1, MarkerLength(r), MarkerValue(r), 0);
    }
    offset += recordSize;
  }
  return noErr;
}

void ScaleMarkersInSelection(double factor) {
  MarkerList list = CurrentList();
  if (!list) return;
  uint8_t* r = list.First();
  for (int32_t i = 0; i < list.count; ++i, r = GetNextMarker(r)) {
    uint32_t tick = MarkerTick(r);
    if (!IsTimeInSelection(tick)) continue;
    SetMarkerTick(r, ClampMarkerTick(ScaleTickFromSelectionStart(int32_t(tick), factor)));
    if (MarkerKind(r) == kMarkerKindPlain) continue;
    double length = double(MarkerLength(r)) * factor;
    WriteU16BE(r + kMarkerLengthOffset, uint16_t(length < 0 ? 0 : length > 65535 ? 65535 : length));
  }
}

void RefreshMarkers(int32_t full) {
  MarkerList list = CurrentList();
  if (list) {
    bool anyLocked = false;
    uint8_t* r = list.First();
    for (int32_t i = 0; i < list.count; ++i, r = GetNextMarker(r)) {
      if (IsMarkerLockedToTime(r)) {
        UpdateLockedMarkerTick(r);
        anyLocked = true;
      } else if (MarkerKind(r) != kMarkerKindPlain) {
        WriteU32BE(r + kMarkerTimeOffset, TickToTime(int32_t(MarkerTick(r))));
      }
    }
    if (anyLocked) {
      SortMarkers();
      RedrawMarkerViews();
    }
  }
  InvalidateSongListWindow();
  if (full) RefreshWaveformOverviews();
  PrepareEnginePlaybackAfterRetime(full);
  if (full && gSectionMode) ResetSectionChase();
}

void RedrawMarkerViews() {
  InvalidateTrackWindow();
  InvalidateEditorWindow();
  RedrawMarkerWindow();
}

uint32_t GetMarkerTime(int32_t n) {
  if (n < 0 || n >= CountMarkers()) return 0;
  uint8_t* r = GetMarkerAt(n);
  if (MarkerKind(r) == kMarkerKindPlain) return TickToTime(int32_t(MarkerTick(r)));
  return MarkerTime(r);
}

uint32_t FindMarkerAfter(uint32_t tick, uint8_t** out, uint32_t kindMask, int32_t* index) {
  int32_t count = CountMarkers();
  int32_t n = 0;
  for (; n < count; ++n) {
    uint8_t* r = GetMarkerAt(n);
    uint8_t kind = MarkerKind(r) & kMarkerKindMask;
    if (MarkerTick(r) > tick && kind < 32 && (kindMask >> kind) & 1) break;
  }
  if (index) *index = n;
  if (out) *out = n < count ? GetMarkerAt(n) : gNoMarker;
  if (n < count) return MarkerTick(GetMarkerAt(n));
  return gCurrentSong ? SongHeaderView(gCurrentSong).EndTick() : 1;
}

void SetMarkerDialogBars(MarkerDialogFields* fields, uint32_t tick) {
  int32_t bar = 0;
  int32_t beat = 0;
  int32_t inBeat = 0;
  TickToBarBeatTick(int32_t(tick), &bar, &beat, &inBeat);
  fields->bar = bar + 1;
  fields->beat = beat + 1;
  fields->tick = inBeat;
}

void GetMarkerDialogBars(const MarkerDialogFields& fields, uint32_t* tick, uint32_t* time) {
  int32_t bar = fields.bar - 1;
  bar = bar < 0 ? 0 : bar > 9999 ? 9999 : bar;
  BarToTick(bar);  // leaves the meter of that bar in the state
  int32_t lastBeat = gConductorState.beatsPerBar - 1;
  int32_t beat = fields.beat - 1;
  beat = beat > lastBeat ? lastBeat : beat;
  beat = beat < 0 ? 0 : beat;
  int32_t lastTick = gConductorState.ticksPerBeat - 1;
  int32_t inBeat = fields.tick > lastTick ? lastTick : fields.tick;
  inBeat = inBeat < 0 ? 0 : inBeat;
  *tick = uint32_t(BarBeatTickToTick(bar, beat, inBeat));
  *time = TickToTime(int32_t(*tick));
}

uint32_t GetLastMarkerEnd() {
  int32_t count = CountMarkers();
  if (count <= 0) return 1;
  const uint8_t* last = GetMarkerAt(count - 1);
  uint32_t end = MarkerTick(last);
  if (MarkerKind(last) != kMarkerKindPlain) end += MarkerLength(last);
  return end;
}
