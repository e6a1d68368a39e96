// Unrolling a track's sections (or its loop) into plain events.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/events/event_seek.h"
#include "song/events/seq_event.h"
#include "song/model/handle_bytes.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_length.h"
#include "song/model/track_sections.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr uint8_t kEventCopyMark = 0x02;

int32_t OffsetAt(Handle list, uint32_t t) {
  uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(list));
  uint32_t size = uint32_t(GetHandleSize(list));
  return int32_t(SeekEventListWithin(p, size, int32_t(std::min(t, kEndlessRepeatsEnd))) - p);
}

// Copies the events of from..to-1 copies times behind them, copy j retimed by j x period.
// With markFrom, a copy at or beyond markFrom, or of a marked event, gets the copy mark.
OSErr CopyEventsBehind(uint32_t from, uint32_t to, uint32_t period, int32_t copies, uint32_t markFrom) {
  Handle list = GetCurrentTrackEventList();
  if (!list || copies <= 0) return noErr;
  int32_t a = OffsetAt(list, from), b = OffsetAt(list, to), block = b - a;
  if (block <= 0) return noErr;
  OSErr err = InsertHandleBytes(list, b, block * copies, false);
  if (err != noErr) return err;
  uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(list));
  for (int32_t j = 1; j <= copies; ++j) {
    uint8_t* copy = p + b + (j - 1) * block;
    std::memcpy(copy, p + a, size_t(block));
    for (uint8_t* e = copy; e < copy + block;) {
      uint32_t step = EventStepWithin(e, uint32_t(copy + block - e));
      if (step == 0) break;
      uint64_t t = uint64_t(SeqEventTime(e)) + uint64_t(j) * period;
      SetSeqEventTime(e, uint32_t(std::min<uint64_t>(t, kEndlessRepeatsEnd - 1)));
      if (markFrom && (t >= markFrom || (e[kEventFlags] & kEventMarks))) e[kEventFlags] |= kEventCopyMark;
      e += step;
    }
  }
  WriteU32BE(gCurrentTrack + kTrackEventBytes, uint32_t(GetHandleSize(list)));
  return noErr;
}

OSErr UnrollEntries(UnrollRoomCallback callback) {
  Handle sections = GetTrackSectionList(gCurrentTrack);
  std::vector<SectionFields> entries;
  SectionFields fields;
  for (int32_t i = 0; GetSectionFields(sections, i, &fields); ++i) entries.push_back(fields);
  OSErr result = noErr;
  // The repeats cover end .. repeats end in the track's own time, where playback never
  // reaches the track's own events: the caller clears that room, and the copies fill it, so
  // that what plays stays as it was and later sections keep their places.
  for (const SectionFields& f : entries) {
    uint32_t length = f.end > f.start ? f.end - f.start : 0;
    int32_t copies = f.count > 1 ? int32_t(f.count - 1) : 1;
    if (length == 0) continue;
    uint32_t room = length * uint32_t(copies);
    if (callback) callback(f.end, f.end + room);
    OSErr err = CopyEventsBehind(f.start, f.end, length, copies, 0);
    if (err != noErr) result = err;
  }
  DisposeTrackSectionList(gCurrentTrack);
  return result;
}

OSErr UnrollLoop() {
  uint32_t length = ReadU32BE(gCurrentTrack + kTrackTickLength);
  uint32_t songEnd = gCurrentSong ? ReadU32BE(gCurrentSong + kSongEndTick) : 0;
  OSErr err = noErr;
  // One period (length - 1 ticks) both counts the copies and retimes them; a loop of one
  // tick or less has nothing to repeat.
  if (length > 2) {
    uint32_t period = length - 1;
    int32_t copies = int32_t(std::max<uint32_t>(1, songEnd > 1 ? (songEnd - 1) / period : 0));
    err = CopyEventsBehind(1, length, period, copies, std::max<uint32_t>(songEnd, 1));
  }
  gCurrentTrack[kTrackFlags] &= uint8_t(~kTrackLoopFlag);
  ClearTrackLengthFlag();
  return err;
}

}  // namespace

OSErr UnrollSections(UnrollRoomCallback callback, bool loopFlag) {
  if (!gCurrentSong || !gCurrentTrack) return nilHandleErr;
  bool hasList = static_cast<bool>(GetTrackSectionList(gCurrentTrack));
  if (!hasList && !(loopFlag && (gCurrentTrack[kTrackFlags] & kTrackLoopFlag))) return noErr;
  OSErr err = BeginTrackEdit();
  if (err != noErr) return err;
  err = hasList ? UnrollEntries(callback) : UnrollLoop();
  EndTrackEdit();
  ComputeTrackEnd();
  return err;
}
