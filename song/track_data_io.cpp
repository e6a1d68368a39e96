#include "song/track_data_io.h"

#include <cstring>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/file_access.h"
#include "shell/memory_reserve.h"
#include "shell/plugin_record_io.h"
#include "song/document_file.h"
#include "song/document_input.h"
#include "song/plugin_records.h"
#include "song/seq_event.h"
#include "song/song_layout.h"

namespace {

constexpr int32_t kAlternateWord = 4;
constexpr int32_t kAudioField = 2;   // index of +232 in kTrackHandleFields
constexpr int32_t kAudio2Field = 5;  // index of +256
constexpr int32_t kExtraDropBytes = 4;

bool IsPluginField(int32_t i) { return i == kAudioField || i == kAudio2Field; }

Handle StoredHandle(const uint8_t* entry, int32_t offset) {
  return Handle(ReadU32BE(entry + offset));
}

int32_t StoredChildCells(const uint8_t* entry) {
  int32_t cells = (ReadI16BE(entry + kTrackLength) - kTrackEntrySize) / kChildCellSize;
  int32_t count = entry[kTrackChildCount];
  return cells < count ? cells : count;
}

// A further block whose first two words are both 0 loses its first word.
void TrimExtraBlock(Handle block) {
  Size size = GetHandleSize(block);
  uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(block));
  if (size < 8 || ReadU32BE(p) != 0 || ReadU32BE(p + 4) != 0) return;
  std::memmove(p, p + kExtraDropBytes, size_t(size - kExtraDropBytes));
  SetHandleSize(block, size - kExtraDropBytes);
}

OSErr ReadEventList(uint8_t* entry, uint32_t bytes) {
  WriteU32BE(entry + kTrackEventBytes, 0);
  if (bytes == 0) return GetDocumentInputError();
  Handle list;
  if (ReadDocumentHandle(bytes, &list) != noErr) return GetDocumentInputError();
  WriteU32BE(entry + kTrackEventList, list.id);
  WriteU32BE(entry + kTrackEventBytes, uint32_t(GetHandleSize(list)));
  return noErr;
}

}  // namespace

void TakeTrackPresence(uint8_t* entry, bool withChildren, TrackPresence* presence) {
  *presence = TrackPresence();
  presence->eventBytes = ReadU32BE(entry + kTrackEventBytes);
  presence->sections = SlotHasBlock(entry + kTrackSectionList, true);
  presence->drums = SlotHasBlock(entry + kTrackDrumData, true);
  presence->audio = SlotHasBlock(entry + kTrackRegionList, true);
  presence->extra = SlotHasBlock(entry + kTrackExtraBlock, true);
  presence->audio2 = SlotHasBlock(entry + kTrackRegionList2, true);
  std::memset(entry + kTrackEventList, 0, kTrackEntrySize - kTrackEventList);
  WriteU32BE(entry + kTrackFirstEventOffset, 0);
  WriteU32BE(entry + kTrackPlayCursorStart, 0);
  int32_t cells = (ReadI16BE(entry + kTrackLength) - kTrackEntrySize) / kChildCellSize;
  int32_t used = StoredChildCells(entry);
  for (int32_t c = 0; c < cells; ++c) {
    uint8_t* cell = entry + kTrackChildTable + kChildCellSize * c;
    if (withChildren && c < used && ReadU32BE(cell) != 0) presence->children |= uint64_t(1) << c;
    std::memset(cell, 0, kChildCellSize);
  }
}

OSErr ReadTrackData(uint8_t* entry, const TrackPresence& presence) {
  ReadEventList(entry, presence.eventBytes);
  ReadPresentBlock(entry + kTrackSectionList, presence.sections);
  ReadPresentBlock(entry + kTrackDrumData, presence.drums);
  ReadPluginRecord(entry + kTrackRegionList, presence.audio, entry[kTrackOutputKind]);
  ReadPresentBlock(entry + kTrackExtraBlock, presence.extra);
  if (Handle extra = StoredHandle(entry, kTrackExtraBlock)) TrimExtraBlock(extra);
  ReadPluginRecord(entry + kTrackRegionList2, presence.audio2, entry[kTrackOutputKind]);
  return GetDocumentInputError();
}

void DisposeStoredTrackHandles(uint8_t* entry) {
  for (int32_t i = 0; i < 6; ++i) {
    int32_t offset = kTrackHandleFields[i];
    Handle h = StoredHandle(entry, offset);
    std::memset(entry + offset, 0, kChildCellSize);
    if (!h || !IsValidHandle(h)) continue;
    if (IsPluginField(i))
      DisposePluginRecord(h);
    else
      DisposeHandle(h);
  }
  WriteU32BE(entry + kTrackEventBytes, 0);
}

uint8_t WrittenTrackBlocks(const uint8_t* entry) {
  uint8_t bits = 0;
  for (int32_t i = 0; i < 6; ++i) {
    Handle h = StoredHandle(entry, kTrackHandleFields[i]);
    if (!h || !IsValidHandle(h)) continue;
    if (IsPluginField(i) && !IsReadablePluginRecordSize(GetHandleSize(h))) continue;
    bits |= uint8_t(1u << i);
  }
  return bits;
}

void MakeStoredTrackImage(uint8_t* image, const uint8_t* live, bool withChildren) {
  uint8_t bits = WrittenTrackBlocks(live);
  for (int32_t i = 0; i < 6; ++i) {
    int32_t offset = kTrackHandleFields[i];
    if (!(bits & (1u << i))) WriteU32BE(image + offset, 0);
    WriteU32BE(image + offset + kAlternateWord, 0);
  }
  Handle events = StoredHandle(live, kTrackEventList);
  bool hasEvents = (bits & 1u) != 0;
  WriteU32BE(image + kTrackEventBytes, hasEvents ? uint32_t(GetHandleSize(events)) : 0);
  WriteU32BE(image + kTrackFirstEventOffset, 0);
  WriteU32BE(image + kTrackPlayCursorStart, 0);
  int32_t cells = (ReadI16BE(live + kTrackLength) - kTrackEntrySize) / kChildCellSize;
  int32_t used = StoredChildCells(live);
  for (int32_t c = 0; c < cells; ++c) {
    uint8_t* cell = image + kTrackChildTable + kChildCellSize * c;
    Handle child(ReadU32BE(cell));
    bool keep = withChildren && c < used && child && IsValidHandle(child);
    if (!keep) WriteU32BE(cell, 0);
    WriteU32BE(cell + kAlternateWord, 0);
  }
}

OSErr WriteTrackData(const uint8_t* entry) {
  uint8_t bits = WrittenTrackBlocks(entry);
  auto handleIf = [&](int32_t i) {
    return (bits & (1u << i)) ? StoredHandle(entry, kTrackHandleFields[i]) : Handle();
  };
  if (Handle events = handleIf(0)) {
    Size size = GetHandleSize(events);
    if (size > 0) WriteBlock(HandleData(events), uint32_t(size));
  }
  if (GetLastFileError() == noErr) WriteHandleWithSize(handleIf(1));
  if (GetLastFileError() == noErr) WriteHandleWithSize(handleIf(3));
  if (GetLastFileError() == noErr) WritePluginRecordHandles(handleIf(2));
  if (GetLastFileError() == noErr) WriteHandleWithSize(handleIf(4));
  if (GetLastFileError() == noErr) WritePluginRecordHandles(handleIf(5));
  return GetLastFileError();
}

namespace {

// The length of the record at e when it lies in the left bytes, else 0. The kind table is
// read directly: this runs once per event of every list a document holds.
inline uint32_t StoredRecordLength(const uint8_t* e, uint32_t left) {
  uint32_t length = gEventLengthByKind[e[kEventStatus] >> 4];
  if (length == kStoredLength) {
    if (left < uint32_t(kLongEventSize)) return 0;
    length = ReadU32BE(e + kEventVariableLength);
    if (length < uint32_t(kLongEventSize)) return 0;
  }
  return length <= left ? length : 0;
}

inline bool IsEndRecord(const uint8_t* e) { return (e[0] | e[1] | e[2] | e[3]) == 0; }

// One list's walk, record by record. Walks of several lists are stepped in turn so that the
// processor follows them side by side (each step depends on the one before it).
struct EventWalk {
  const uint8_t* p;
  uint32_t size;
  uint32_t at;
  OSErr result;  // kWalking while under way
  int32_t index;
};
constexpr OSErr kWalking = 1;
constexpr OSErr kNeedsEndRecord = 2;

inline void StepWalk(EventWalk& w) {
  uint32_t left = w.size - w.at;
  const uint8_t* e = w.p + w.at;
  if (left < uint32_t(kShortEventSize)) {
    if (left == 0) w.result = kNeedsEndRecord;
    else w.result = kDocumentDamagedErr;  // a record or an end record cut short
    return;
  }
  if (IsEndRecord(e)) {
    w.result = left >= uint32_t(kEndRecordSize) ? OSErr(noErr) : kDocumentDamagedErr;
    return;
  }
  uint32_t length = StoredRecordLength(e, left);
  if (length == 0) w.result = kDocumentDamagedErr;
  w.at += length;
}

// Lists walked side by side, and the plain step of a lane: a record of a fixed length that
// lies well inside its list (anything else is left to StepWalk).
constexpr int32_t kWalkLanes = 4;
static_assert(kWalkLanes == 4, "StepLanesWhileFast steps four lanes");

inline bool FastStep(EventWalk& w) {
  if (w.size - w.at < uint32_t(kEndRecordSize)) return false;
  const uint8_t* e = w.p + w.at;
  if (IsEndRecord(e)) return false;
  uint8_t length = gEventLengthByKind[e[kEventStatus] >> 4];
  if (uint8_t(length - 1) >= uint8_t(kStoredLength - 1)) return false;  // 0 or stored
  w.at += length;
  return true;
}

// Steps all lanes together until one of them meets anything but a plain record.
void StepLanesWhileFast(EventWalk* lanes) {
  for (;;) {
    bool a = FastStep(lanes[0]);
    bool b = FastStep(lanes[1]);
    bool c = FastStep(lanes[2]);
    bool d = FastStep(lanes[3]);
    if (!(a && b && c && d)) return;
  }
}

OSErr CloseEventList(Handle list) {
  Size size = GetHandleSize(list);
  if (SetHandleSizeWithReserve(list, size + kEndRecordSize) != noErr) return memFullErr;
  std::memset(HandleData(list) + size, 0, kEndRecordSize);
  return noErr;
}

}  // namespace

OSErr CheckStoredEventLists(const Handle* lists, int32_t count) {
  std::vector<EventWalk> pending;
  pending.reserve(size_t(count));
  for (int32_t i = 0; i < count; ++i) {
    if (!lists[i]) continue;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(lists[i]));
    pending.push_back({p, uint32_t(GetHandleSize(lists[i])), 0, kWalking, i});
  }
  std::vector<EventWalk> done;
  done.reserve(pending.size());
  EventWalk lanes[kWalkLanes];
  int32_t used = 0;
  while (used > 0 || !pending.empty()) {
    while (used < kWalkLanes && !pending.empty()) {
      lanes[used++] = pending.back();
      pending.pop_back();
    }
    if (used == kWalkLanes) StepLanesWhileFast(lanes);
    for (int32_t k = 0; k < used;) {
      StepWalk(lanes[k]);
      if (lanes[k].result == kWalking) {
        ++k;
        continue;
      }
      done.push_back(lanes[k]);
      lanes[k] = lanes[--used];
    }
  }
  for (const EventWalk& w : done) {
    if (w.result == kNeedsEndRecord && CloseEventList(lists[w.index]) != noErr) return memFullErr;
    if (w.result != noErr && w.result != kNeedsEndRecord) return w.result;
  }
  return noErr;
}

OSErr CheckStoredEventList(Handle list) { return CheckStoredEventLists(&list, 1); }
