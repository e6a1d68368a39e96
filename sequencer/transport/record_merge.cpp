#include "sequencer/transport/record_merge.h"

#include <cstring>
#include <vector>

#include "platform/memory/memory.h"
#include "sequencer/midi/record_buffers.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/record_pass.h"
#include "sequencer/transport/transport_engine.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/track_event_replacement.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

namespace {

constexpr uint8_t kKindOpen = kKindOpenNote;

// The end of the finished records from offset at: the first open note or the write offset.
uint32_t FinishedEnd(const uint8_t* bytes, uint32_t at, uint32_t write) {
  while (at < write) {
    const uint8_t* e = bytes + at;
    if (SeqEventKind(e) == kKindOpen) break;
    uint32_t length = SeqEventLengthWithin(e, write - at);
    if (length == 0) break;  // a damaged record ends what can be taken
    at += length;
  }
  return at;
}

// The records of records that stay when [from, to) is replaced: those outside the range and
// the sequence references.
std::vector<uint8_t> KeptOutside(const std::vector<uint8_t>& records, uint32_t from, uint32_t to) {
  std::vector<uint8_t> kept;
  kept.reserve(records.size());
  for (size_t at = 0; uint32_t n = RecordLengthAt(records, at); at += n) {
    const uint8_t* e = &records[at];
    uint32_t t = SeqEventTime(e);
    if (t >= from && t < to && SeqEventKind(e) != kKindSequenceRef) continue;
    kept.insert(kept.end(), e, e + n);
  }
  return kept;
}

void SelectAll(std::vector<uint8_t>* records) {
  for (size_t at = 0; uint32_t n = RecordLengthAt(*records, at); at += n) (*records)[at + kEventFlags] |= kEventSelected;
}

// The last tick of the records (0 without records).
uint32_t LastTick(const std::vector<uint8_t>& records) {
  uint32_t last = 0;
  for (size_t at = 0; uint32_t n = RecordLengthAt(records, at); at += n) last = SeqEventTime(&records[at]);
  return last;
}

}  // namespace

Handle CopyRecordedEvents(RealtimeProcessor* p) {
  uint8_t* bytes = RecordBufferBytes(p);
  RecordMergeState& m = p->merge;
  if (!bytes || p->record.busy.load(std::memory_order_acquire)) return Handle();
  uint32_t write = p->record.write;
  if (m.merged < p->record.start || m.merged > write) m.merged = p->record.start;
  uint32_t end = FinishedEnd(bytes, m.merged, write);
  if (end == m.merged) return Handle();
  Size length = Size(end - m.merged);
  Handle copy = NewHandleClear(length + kEndRecordSize);
  if (!copy) return Handle();  // the records wait in the buffer for the next copy
  bytes = RecordBufferBytes(p);  // the allocation may have moved the buffer
  std::memcpy(HandleData(copy), bytes + m.merged, size_t(length));
  m.merged = end;
  ++m.mergedCount;
  return copy;
}

OSErr MergeRecordedData(Handle events, bool replace, uint32_t from, uint32_t to, uint32_t flags) {
  if (!gCurrentSong || !gCurrentTrack) return paramErr;
  std::vector<uint8_t> added = CopyListRecords(events);
  if (flags & kMergeSelectEvents) SelectAll(&added);
  OSErr err = noErr;
  if (replace && to > from) {
    std::vector<uint8_t> kept = KeptOutside(CopyListRecords(GetCurrentTrackEventList()), from, to);
    err = ReplaceCurrentTrackEvents(kept);
  }
  if (err == noErr && !added.empty()) err = MergeIntoCurrentTrack(added);
  if (err == noErr) SetSongModified();
  if (flags & kMergeRedrawEditors) RedrawEventListAndEditor();
  return err;
}

OSErr MergeRecordBuffer(RealtimeProcessor* p, uint32_t tick) {
  RecordMergeState& m = p->merge;
  bool cycleReplace = (gRecordOptions & kRecordOptionCycleReplace) == kRecordOptionCycleReplace;
  if (cycleReplace) {
    m.from = gCycleStartPoint.tick;
    m.to = gCycleStopPoint.tick;
  } else {
    if (m.from == 0) m.from = m.mergedUpTo ? m.mergedUpTo : RecordRangeStart();
    m.to = tick;
  }
  uint32_t before = m.merged;
  Handle copy = CopyRecordedEvents(p);
  std::vector<uint8_t> records = CopyListRecords(copy);
  if (!records.empty() && LastTick(records) + 1 > m.to && !cycleReplace) m.to = LastTick(records) + 1;
  OSErr err = noErr;
  if (m.to > m.mergedUpTo || copy) {
    bool replace = (gRecordOptions & kRecordOptionReplace) != 0;
    err = MergeRecordedData(copy, replace, m.from, m.to, kMergeRecordedFlags);
    if (err == noErr) {
      m.mergedUpTo = m.to;
      m.from = m.to;
    } else {
      m.merged = before;  // kept in the buffer for the next merge
    }
  }
  if (copy) DisposeHandle(copy);
  return err;
}

void ResetRecordMerge(RealtimeProcessor* p) { p->merge = RecordMergeState(); }
