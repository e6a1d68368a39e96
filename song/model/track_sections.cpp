#include "song/model/track_sections.h"

#include <algorithm>
#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/memory_reserve.h"
#include "song/events/event_seek.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/events/utility_event_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_iterators.h"
#include "song/model/track_length.h"
#include "song/model/window_redraw.h"

namespace {

uint8_t* ListBytes(Handle list) { return reinterpret_cast<uint8_t*>(HandleData(list)); }

uint8_t* EntryAt(Handle list, int32_t i) {
  return ListBytes(list) + kSectionHeaderBytes + i * kSectionEntryBytes;
}

// Entries the handle has room for, the end record included.
int32_t EntryRoom(Handle list) {
  Size size = GetHandleSize(list);
  return size < kSectionHeaderBytes ? 0 : int32_t((size - kSectionHeaderBytes) / kSectionEntryBytes);
}

uint32_t Word(const uint8_t* p, int32_t offset) { return ReadU32BE(p + offset); }

uint32_t LengthOf(const uint8_t* e) {
  uint32_t s = Word(e, kSectionStart), end = Word(e, kSectionEnd);
  return end > s ? end - s : 0;
}

// The end record the mapping stops at (a zeroed record when the list is full to its end).
const uint8_t kNoEntry[kSectionEntryBytes] = {};

const uint8_t* EntryOrEnd(Handle list, int32_t i, int32_t count) {
  return i < count ? EntryAt(list, i) : kNoEntry;
}

void StoreCount(Handle list) {
  WriteU32BE(ListBytes(list) + kSectionCountWord, uint32_t(CountSectionEntries(list)));
}

void SetEntryFields(uint8_t* e, uint32_t start, uint32_t end, uint32_t count) {
  std::memset(e, 0, kSectionEntryBytes);
  WriteU32BE(e + kSectionStart, start);
  WriteU32BE(e + kSectionEnd, end);
  WriteU32BE(e + kSectionRepeatCount, count);
  WriteU32BE(e + kSectionRepeatsEnd, SectionRepeatsEnd(start, end, count));
}

void RecomputeRepeatsEnd(uint8_t* e) {
  WriteU32BE(e + kSectionRepeatsEnd, SectionRepeatsEnd(Word(e, kSectionStart), Word(e, kSectionEnd),
                                                       Word(e, kSectionRepeatCount)));
}

// The index an entry starting at start takes in the sorted list.
int32_t SortedIndexFor(Handle list, uint32_t start) {
  int32_t count = CountSectionEntries(list);
  int32_t i = 0;
  while (i < count && Word(EntryAt(list, i), kSectionStart) <= start) ++i;
  return i;
}

// Opens a zeroed entry at index in entry's list (making the list when there is none).
OSErr OpenEntry(uint8_t* entry, int32_t index) {
  Handle list = GetTrackSectionList(entry);
  if (!list) {
    list = NewHandleClearWithReserve(kNewSectionListBytes);
    if (!list) return memFullErr;
    WriteU32BE(ListBytes(list) + kSectionSavedLength, ReadU32BE(entry + kTrackTickLength));
    WriteU32BE(entry + kTrackSectionList, list.id);
    return noErr;
  }
  int32_t count = CountSectionEntries(list);
  OSErr err = SetHandleSizeWithReserve(list, kSectionHeaderBytes + (count + 2) * kSectionEntryBytes);
  if (err != noErr) return err;
  uint8_t* at = EntryAt(list, index);
  std::memmove(at + kSectionEntryBytes, at, size_t(count + 1 - index) * kSectionEntryBytes);
  std::memset(at, 0, kSectionEntryBytes);
  return noErr;
}

}  // namespace

void DisposeTrackSectionList(uint8_t* entry) {
  Handle list(ReadU32BE(entry + kTrackSectionList));
  WriteU32BE(entry + kTrackSectionList, 0);
  entry[kTrackFlags] &= uint8_t(~kTrackLoopFlag);
  if (list && IsValidHandle(list)) DisposeHandle(list);
}

namespace {

// Keeps the entries for which keep answers true; disposes an empty list.
template <typename Keep>
void FilterEntries(uint8_t* entry, Keep keep) {
  Handle list = GetTrackSectionList(entry);
  if (!list) return;
  int32_t count = CountSectionEntries(list), kept = 0;
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* e = EntryAt(list, i);
    if (!keep(e)) continue;
    if (kept != i) std::memcpy(EntryAt(list, kept), e, kSectionEntryBytes);
    ++kept;
  }
  if (kept == 0) return DisposeTrackSectionList(entry);
  std::memset(EntryAt(list, kept), 0, kSectionEntryBytes);
  SetHandleSize(list, kSectionHeaderBytes + (kept + 1) * kSectionEntryBytes);
  StoreCount(list);
}

// Byte offset of the first event at or after t from offset on; -1 without a list.
int32_t SeekOffset(const uint8_t* entry, int32_t from, uint32_t t) {
  Handle events(ReadU32BE(entry + kTrackEventList));
  if (!events || !IsValidHandle(events)) return -1;
  uint8_t* p = ListBytes(events);
  uint32_t size = uint32_t(GetHandleSize(events));
  if (from < 0 || uint32_t(from) > size) from = 0;
  uint8_t* found = SeekEventListWithin(p + from, size - uint32_t(from), int32_t(std::min(t, kEndlessRepeatsEnd)));
  return int32_t(found - p);
}

void RefreshEntryEvents(uint8_t* entry, Handle list, int32_t from) {
  int32_t count = CountSectionEntries(list);
  for (int32_t i = from; i < count; ++i) {
    uint8_t* e = EntryAt(list, i);
    int32_t start = SeekOffset(entry, 0, Word(e, kSectionStart));
    int32_t end = SeekOffset(entry, start, Word(e, kSectionRepeatsEnd));
    WriteU32BE(e + kSectionStartEvent, uint32_t(std::max(start, 0)));
    WriteU32BE(e + kSectionRepeatsEndEvent, uint32_t(std::max(end, 0)));
  }
}

void AfterEntryChange() {
  gCurrentTrack[kTrackFlags] |= kTrackLoopFlag;
  ClearTrackLengthFlag();
  InvalidateTrackWindow();
  ComputeTrackEnd();
}

bool HasCurrentTrack() { return gCurrentSong && gCurrentTrack; }

// Puts the entries back in start order after one of them changed.
void SortEntries(Handle list) {
  int32_t count = CountSectionEntries(list);
  uint8_t held[kSectionEntryBytes];
  for (int32_t i = 1; i < count; ++i) {
    std::memcpy(held, EntryAt(list, i), kSectionEntryBytes);
    int32_t j = i;
    for (; j > 0 && Word(EntryAt(list, j - 1), kSectionStart) > Word(held, kSectionStart); --j)
      std::memcpy(EntryAt(list, j), EntryAt(list, j - 1), kSectionEntryBytes);
    std::memcpy(EntryAt(list, j), held, kSectionEntryBytes);
  }
}

}  // namespace

Handle GetTrackSectionList(const uint8_t* entry) {
  if (!entry) return Handle();
  Handle list(ReadU32BE(entry + kTrackSectionList));
  if (!list || !IsValidHandle(list) || EntryRoom(list) < 1) return Handle();
  return list;
}

int32_t CountSectionEntries(Handle list) {
  if (!list || !IsValidHandle(list)) return 0;
  int32_t room = EntryRoom(list), n = 0;
  while (n < room && Word(EntryAt(list, n), kSectionStart) != 0) ++n;
  return n;
}

bool GetSectionFields(Handle list, int32_t i, SectionFields* fields) {
  if (i < 0 || i >= CountSectionEntries(list)) return false;
  const uint8_t* e = EntryAt(list, i);
  fields->start = Word(e, kSectionStart);
  fields->end = Word(e, kSectionEnd);
  fields->count = Word(e, kSectionRepeatCount);
  fields->currentRepeat = Word(e, kSectionCurrentRepeat);
  fields->repeatsEnd = Word(e, kSectionRepeatsEnd);
  return true;
}

uint32_t SectionRepeatsEnd(uint32_t start, uint32_t end, uint32_t count) {
  if (count == 0) return kEndlessRepeatsEnd;
  uint64_t length = end > start ? end - start : 0;
  uint64_t repeatsEnd = start + uint64_t(count) * length;
  return uint32_t(std::min<uint64_t>(repeatsEnd, kEndlessRepeatsEnd));
}

bool GetSectionListSavedLength(Handle list, uint32_t* length) {
  if (!list || !IsValidHandle(list) || GetHandleSize(list) < kSectionHeaderBytes) return false;
  *length = Word(ListBytes(list), kSectionSavedLength);
  return true;
}

uint32_t GetLastSectionEnd(Handle list) {
  int32_t count = CountSectionEntries(list);
  if (count == 0) return 0;
  const uint8_t* e = EntryAt(list, count - 1);
  return Word(e, kSectionRepeatCount) ? Word(e, kSectionRepeatsEnd) : Word(e, kSectionEnd);
}

SectionMapping PeekPositionThroughSections(const uint8_t* entry, uint32_t position) {
  SectionMapping m;
  m.mapped = position;
  Handle list = GetTrackSectionList(entry);
  int32_t count = CountSectionEntries(list);
  if (count == 0) return m;
  const uint8_t* e = EntryOrEnd(list, 0, count);
  if (position > Word(e, kSectionStart)) {
    while (Word(e, kSectionRepeatsEnd) != 0 && position > Word(e, kSectionRepeatsEnd))
      e = EntryOrEnd(list, ++m.index, count);
  }
  uint32_t s = Word(e, kSectionStart), length = LengthOf(e), b = 0;
  if (position > s && length != 0) {
    m.repeat = (position - s) / length;
    uint32_t r = (position - s) - m.repeat * length;
    m.mapped = s + r;
    b = position - r;
  }
  m.inEntry = s != 0;
  if (!m.inEntry) return m;
  m.currentStart = b ? b : s;
  if (!(entry[kTrackFlags] & kTrackLoopFlag)) return m;
  uint32_t saved = Word(ListBytes(list), kSectionSavedLength);
  int64_t d = int64_t(saved) - int64_t(m.currentStart);
  m.hasLimit = true;
  m.limit = std::min(saved, Word(e, kSectionEnd));
  if (d >= 0 && d <= int64_t(length)) m.limit = s + uint32_t(d);
  if (d < 0) m.mapped = position;
  return m;
}

uint32_t MapPositionThroughSectionsOfTrack(uint8_t* entry, uint32_t position) {
  Handle list = GetTrackSectionList(entry);
  if (!list) return position;
  SectionMapping m = PeekPositionThroughSections(entry, position);
  int32_t count = CountSectionEntries(list);
  WriteU32BE(ListBytes(list) + kSectionLastMapped, uint32_t(m.index));
  if (!m.inEntry) {
    WriteU32BE(entry + kTrackTickLength, Word(ListBytes(list), kSectionSavedLength));
    return m.mapped;
  }
  uint8_t* e = EntryAt(list, std::min(m.index, count - 1));
  WriteU32BE(e + kSectionCurrentRepeat, m.repeat);
  WriteU32BE(e + kSectionCurrentStart, m.currentStart);
  if (m.hasLimit) {
    WriteU32BE(entry + kTrackTickLength, m.limit);
    if (ReadU32BE(entry + kTrackEventList)) RefreshEntryEvents(entry, list, m.index);
  }
  return m.mapped;
}

uint32_t MapPositionThroughSections(uint32_t position) {
  return HasCurrentTrack() ? MapPositionThroughSectionsOfTrack(gCurrentTrack, position) : position;
}

uint32_t WrapTrackPositionOfTrack(uint8_t* entry, uint32_t position) {
  if (GetTrackSectionList(entry)) return MapPositionThroughSectionsOfTrack(entry, position);
  uint32_t length = ReadU32BE(entry + kTrackTickLength);
  if (length <= 1) return 0;
  return position >= length - 1 ? position % (length - 1) : position;
}

uint32_t WrapTrackPosition(uint32_t position) {
  return HasCurrentTrack() ? WrapTrackPositionOfTrack(gCurrentTrack, position) : position;
}

OSErr InsertSection(uint32_t start, uint32_t end, uint32_t count) {
  if (!HasCurrentTrack()) return nilHandleErr;
  Handle list = GetTrackSectionList(gCurrentTrack);
  int32_t index = list ? SortedIndexFor(list, start) : 0;
  OSErr err = OpenEntry(gCurrentTrack, index);
  if (err != noErr) return err;
  InitSectionEntry(start, end, count, index);
  return noErr;
}

void InitSectionEntry(uint32_t start, uint32_t end, uint32_t count, int32_t index) {
  Handle list = HasCurrentTrack() ? GetTrackSectionList(gCurrentTrack) : Handle();
  if (!list || index < 0 || index >= EntryRoom(list) - 1) return;
  SetEntryFields(EntryAt(list, index), std::max<uint32_t>(start, 1), end, count);
  StoreCount(list);
  AfterEntryChange();
}

void DeleteSectionsInRange(uint32_t from, uint32_t to, bool loose) {
  if (!HasCurrentTrack() || !GetTrackSectionList(gCurrentTrack)) return;
  auto inRange = [&](uint32_t t) { return t >= from && t < to; };
  FilterEntries(gCurrentTrack, [&](const uint8_t* e) {
    return !(inRange(Word(e, kSectionStart)) && (loose || inRange(Word(e, kSectionEnd))));
  });
  InvalidateEditorWindow();
  InvalidateTrackWindow();
}

namespace {

struct AddRequest {
  uint32_t start, end, count;
  OSErr err;
};

int32_t AddToSelectedTrack(void* arg) {
  auto* r = static_cast<AddRequest*>(arg);
  DeleteSectionsInRange(r->start, r->end, false);
  OSErr err = InsertSection(r->start, r->end, r->count);
  if (err != noErr) r->err = err;
  return 0;
}

}  // namespace

OSErr AddSection(uint32_t start, uint32_t end, uint32_t count, bool toSelected, int32_t index) {
  if (!HasCurrentTrack()) return nilHandleErr;
  if (toSelected) {
    AddRequest r{start, end, count, noErr};
    ForEachSelectedTrackEntry(AddToSelectedTrack, &r);
    return r.err;
  }
  Handle list = GetTrackSectionList(gCurrentTrack);
  if (index < 0 || index >= CountSectionEntries(list)) return InsertSection(start, end, count);
  InitSectionEntry(start, end, count, index);
  SortEntries(list);
  return noErr;
}

OSErr InstallSectionList(uint8_t* entry, Handle stored, uint32_t songLength) {
  WriteU32BE(entry + kTrackSectionList, 0);
  if (!stored || !IsValidHandle(stored)) return noErr;
  OSErr err = noErr;
  int32_t room = EntryRoom(stored);
  for (int32_t i = 0; i < room && err == noErr; ++i) {
    const uint8_t* e = EntryAt(stored, i);
    uint32_t start = Word(e, kSectionStart), end = Word(e, kSectionEnd);
    // A song whose end was never stored (0) keeps its sections as they were written.
    if (start == 0 || (songLength && start > songLength)) break;
    // Positions are kept from 1 in files as in memory: the song's position base is 1.
    uint32_t fit = std::max<uint32_t>(1, songLength / std::max<uint32_t>(1, end > start ? end - start : 0));
    uint32_t count = Word(e, kSectionRepeatCount);
    if (songLength) count = count == 0 ? fit : std::min(count, fit);
    Handle list = GetTrackSectionList(entry);
    int32_t index = list ? SortedIndexFor(list, start) : 0;
    err = OpenEntry(entry, index);
    if (err != noErr) break;
    list = GetTrackSectionList(entry);
    SetEntryFields(EntryAt(list, index), start, end, count);
    StoreCount(list);
    entry[kTrackFlags] |= kTrackLoopFlag;
  }
  DisposeHandle(stored);
  return err;
}

int32_t ForEachSection(SectionCallback callback, void* context) {
  if (!HasCurrentTrack()) return 0;
  Handle list = GetTrackSectionList(gCurrentTrack);
  SectionFields fields;
  for (int32_t i = 0; GetSectionFields(list, i, &fields); ++i)
    if (int32_t answer = callback(context, i, fields)) return answer;
  return 0;
}

void ScaleSections(double factor) {
  Handle list = HasCurrentTrack() ? GetTrackSectionList(gCurrentTrack) : Handle();
  int32_t count = CountSectionEntries(list);
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* e = EntryAt(list, i);
    if (!IsTimeInSelection(Word(e, kSectionStart))) continue;
    for (int32_t word : {kSectionStart, kSectionEnd}) {
      int32_t t = ScaleTickFromSelectionStart(int32_t(Word(e, word)), factor);
      WriteU32BE(e + word, uint32_t(std::max(t, 1)));
    }
    RecomputeRepeatsEnd(e);
  }
}

namespace {

// One entry's share of a time edit at P = selStart (see ShiftSectionList).
void ShiftEntry(uint8_t* e, int32_t delta, uint32_t selStart, uint32_t selEnd) {
  bool removal = delta < 0;
  int64_t limit = removal ? selEnd : selStart, p = selStart;
  int64_t start = Word(e, kSectionStart), end = Word(e, kSectionEnd);
  int64_t count = Word(e, kSectionRepeatCount), repeatsEnd = Word(e, kSectionRepeatsEnd);
  if (start >= limit) {
    start += delta;
    end += delta;
  } else if (p < end) {
    if (removal) {
      if (p < start) start = p;
      end = int64_t(selEnd) > end ? p : end + delta;
    } else {
      end += delta;
    }
  } else if (count != 0 && p < repeatsEnd) {
    int64_t s = removal ? p - std::min<int64_t>(repeatsEnd, selEnd) : delta;
    int64_t length = end - start;
    if (length > 1) count = std::max<int64_t>(1, (repeatsEnd + s - start) / length);
  }
  WriteU32BE(e + kSectionStart, uint32_t(std::clamp<int64_t>(start, 1, kEndlessRepeatsEnd)));
  WriteU32BE(e + kSectionEnd, uint32_t(std::clamp<int64_t>(end, 1, kEndlessRepeatsEnd)));
  WriteU32BE(e + kSectionRepeatCount, uint32_t(count));
  RecomputeRepeatsEnd(e);
}

}  // namespace

void ShiftSectionList(Handle list, int32_t delta, uint32_t selStart, uint32_t selEnd) {
  int32_t count = CountSectionEntries(list);
  for (int32_t i = 0; i < count; ++i) ShiftEntry(EntryAt(list, i), delta, selStart, selEnd);
}

void ShiftSections(int32_t delta) {
  if (!HasCurrentTrack() || !GetTrackSectionList(gCurrentTrack)) return;
  uint32_t selStart = gTimeSelection.start.tick, selEnd = gTimeSelection.end.tick;
  if (delta < 0) DeleteSectionsInRange(selStart, selEnd, false);
  if (!GetTrackSectionList(gCurrentTrack)) return;
  ShiftSectionList(GetTrackSectionList(gCurrentTrack), delta, selStart, selEnd);
}

bool ResetTrackPlayRecord(uint8_t* entry) {
  constexpr uint16_t kPitchBendCentre = 8192;
  WriteU32BE(entry + kTrackPendingWord, 0);
  if (entry[kTrackFlags] & kTrackInactiveFlag) return false;
  if (entry[kTrackOutputFlags] & kTrackOutputSecondRegions) return true;
  Handle events(ReadU32BE(entry + kTrackEventList));
  if (events && IsValidHandle(events) && GetHandleSize(events) > kEmptyEventListSize)
    WriteU16BE(entry + kTrackCentre72, kPitchBendCentre);
  return true;
}

TrackPositionReset ResetTrackPosition(uint8_t* entry, uint32_t position) {
  TrackPositionReset reset;
  if (!ResetTrackPlayRecord(entry)) return reset;
  uint32_t p = position > 0 ? position - 1 : 0;
  if (GetTrackSectionList(entry)) MapPositionThroughSectionsOfTrack(entry, 1);
  if (entry[kTrackFlags] & kTrackLoopFlag) p = WrapTrackPositionOfTrack(entry, p);
  Handle events(ReadU32BE(entry + kTrackEventList));
  bool hasList = events && IsValidHandle(events);
  if (!hasList && entry[kTrackOutputKind] == 0) return reset;
  reset.position = p;
  if (!hasList || GetHandleSize(events) <= kEmptyEventListSize) return reset;
  reset.nextEvent = SeekOffset(entry, 0, p);
  return reset;
}
