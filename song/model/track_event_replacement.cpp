#include "song/model/track_event_replacement.h"

#include <cstring>

#include "platform/memory/memory.h"
#include "song/events/event_index.h"
#include "song/events/event_list_merge.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_length.h"
#include "song/undo/undo_ring.h"

std::vector<uint8_t> CopyListRecords(Handle list) {
  std::vector<uint8_t> records;
  if (!list || !IsValidHandle(list)) return records;
  const auto* bytes = reinterpret_cast<const uint8_t*>(HandleData(list));
  uint32_t size = uint32_t(GetHandleSize(list));
  uint32_t at = 0;
  while (at < size) {
    uint32_t length = SeqEventLengthWithin(bytes + at, size - at);
    if (length == 0) break;
    at += length;
  }
  records.assign(bytes, bytes + at);
  return records;
}

uint32_t RecordLengthAt(const std::vector<uint8_t>& records, size_t at) {
  if (at >= records.size()) return 0;
  return SeqEventLengthWithin(records.data() + at, uint32_t(records.size() - at));
}

namespace {

Handle NewListFromRecords(const std::vector<uint8_t>& records, OSErr* err) {
  Handle list = NewHandleClear(Size(records.size()) + kEndRecordSize);
  OSErr memory = MemError();
  *err = list ? OSErr(noErr) : (memory != noErr ? memory : OSErr(memFullErr));
  if (list && !records.empty()) std::memcpy(HandleData(list), records.data(), records.size());
  return list;
}

void InstallCurrentTrackList(Handle list) {
  BeginTrackEdit();
  TrackEntryView track(gCurrentTrack);
  Handle old = track.EventList();
  if (old && old != list && !IsHandleInUndoRing(old)) DisposeHandle(old);
  track.SetEventList(list);
  track.SetEventBytes(uint32_t(GetHandleSize(list)));
  EndTrackEdit();
  ComputeTrackEnd();
  BuildTrackEventIndex();
}

}  // namespace

OSErr ReplaceCurrentTrackEvents(const std::vector<uint8_t>& records) {
  OSErr err = noErr;
  Handle list = NewListFromRecords(records, &err);
  if (list) InstallCurrentTrackList(list);
  return err;
}

OSErr MergeIntoCurrentTrack(const std::vector<uint8_t>& records) {
  OSErr err = noErr;
  Handle added = NewListFromRecords(records, &err);
  if (!added) return err;
  Handle merged = MergeEventLists(TrackEntryView(gCurrentTrack).EventList(), added, &err);
  DisposeHandle(added);
  if (merged) InstallCurrentTrackList(merged);
  return err;
}
