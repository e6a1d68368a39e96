#include "song/documents/sysex_dumps.h"

#include <cstring>

#include "platform/memory/memory.h"
#include "shell/base/error_report.h"
#include "shell/base/file_access.h"
#include "shell/base/iteration_abort.h"
#include "shell/base/memory_reserve.h"
#include "song/conductor/timebase.h"
#include "song/documents/import_files.h"
#include "song/events/data_events.h"
#include "song/events/event_lists.h"
#include "song/model/song_context.h"
#include "song/model/track_length.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

namespace {

// Gathers the messages of a byte stream, block by block.
struct SysExCollector {
  Handle messages;
  uint32_t used = 0;       // bytes of whole messages, then the one being collected
  uint32_t start = 0;      // where the message being collected began
  bool collecting = false;
  bool cutShort = false;   // the bytes ended inside a message, which was dropped
  OSErr err = noErr;
  std::vector<uint32_t>* lengths = nullptr;

  bool Append(const uint8_t* p, uint32_t n) {
    if (n == 0) return true;
    if (!messages) {
      messages = NewHandleClearWithReserve(0);
      if (!messages) return Fail();
    }
    uint64_t need = uint64_t(used) + n;
    uint64_t capacity = uint64_t(GetHandleSize(messages));
    if (need > capacity) {
      uint64_t grown = capacity * 2 > need ? capacity * 2 : need + 256;
      if (grown > 0x7fffffff || SetHandleSizeWithReserve(messages, Size(grown)) != noErr)
        return Fail();
    }
    std::memcpy(HandleData(messages) + used, p, n);
    used += n;
    return true;
  }
  bool Fail() {
    ReportError(memFullErr);
    err = memFullErr;
    used = start;
    collecting = false;
    return false;
  }

  // One block: runs of data bytes are appended at once.
  void Feed(const uint8_t* p, uint32_t n) {
    uint32_t i = 0;
    while (i < n && err == noErr) {
      if (!collecting) {
        while (i < n && p[i] != 0xF0) ++i;
        if (i == n) return;
        start = used;
        collecting = true;
        if (!Append(p + i++, 1)) return;
        continue;
      }
      uint32_t run = i;
      while (run < n && p[run] < 0x80) ++run;
      if (!Append(p + i, run - i)) return;
      i = run;
      if (i == n) return;
      if (p[i] == 0xF7) {
        if (!Append(p + i++, 1)) return;
        lengths->push_back(used - start);
        collecting = false;
      } else {
        used = start;  // any other status byte drops the message; an F0 starts the next
        collecting = false;
        if (p[i] != 0xF0) ++i;
      }
    }
  }

  OSErr Finish(Handle* out) {
    if (err == noErr && collecting) {
      // The complete messages before the cut are kept; only a cut with none before it fails.
      used = start;
      collecting = false;
      cutShort = true;
      if (lengths->empty()) err = kSysExCutShortErr;
    }
    if (err == noErr && lengths->empty()) err = kSysExNoMessageErr;
    if (err != noErr) {
      DisposeHandleAndClear(&messages);
      lengths->clear();
    } else {
      SetHandleSize(messages, used);
    }
    *out = messages;
    return err;
  }
};

OSErr CollectFromStream(Handle* messages, std::vector<uint32_t>* lengths, bool* cutShort) {
  SysExCollector collector;
  collector.lengths = lengths;
  uint8_t block[kSysExBlockSize];
  for (;;) {
    uint32_t before = gStreamByteCount;
    OSErr err = ReadBlock(block, sizeof block);
    uint32_t count = gStreamByteCount - before;
    if (err != noErr && err != eofErr) {
      collector.err = err;
      break;
    }
    collector.Feed(block, count);
    if (count < kSysExBlockSize || collector.err != noErr || gIterationAbort) break;
  }
  OSErr err = collector.Finish(messages);
  *cutShort = collector.cutShort;
  return err;
}

// Inserts the messages as data events one sixteenth apart; the list grows once, so a
// shortage changes nothing. Each message goes where a single insertion at its tick would put
// it (behind the events of that tick); as the ticks rise, one walk finds every place and one
// pass from the end moves the events up, however many messages the dump holds.
OSErr InsertMessages(Handle messages, const std::vector<uint32_t>& lengths, uint32_t tick,
                     SysExDumpResult* result) {
  uint64_t total = 0;
  for (uint32_t n : lengths) total += DataEventSize(n - 1);
  if (total > 0x7fffffff) return memFullErr;
  OSErr err = EnsureTrackEventList();
  if (err == noErr) err = GrowEventList(int32_t(total));
  if (err != noErr) return err;
  uint32_t step = uint32_t(gTicksPerQuarter / 4 > 0 ? gTicksPerQuarter / 4 : 1);
  Handle list = GetCurrentTrackEventList();
  uint8_t* start = reinterpret_cast<uint8_t*>(HandleData(list));
  std::vector<uint32_t> places(lengths.size());
  std::vector<uint32_t> starts(lengths.size());
  uint8_t* from = start;
  uint32_t at = 0;
  for (size_t k = 0; k < lengths.size(); ++k) {
    from = FindEventAfterTime(from, int32_t(tick + uint32_t(k) * step));
    places[k] = uint32_t(from - start);
    starts[k] = at;
    at += lengths[k];
  }
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(HandleData(messages));
  uint32_t end = uint32_t(GetHandleSize(list) - Size(total));  // the list before it grew
  uint32_t shift = uint32_t(total);
  for (size_t k = lengths.size(); k-- > 0;) {
    std::memmove(start + places[k] + shift, start + places[k], end - places[k]);
    shift -= DataEventSize(lengths[k] - 1);
    FillDataEvent(start + places[k] + shift, tick + uint32_t(k) * step, bytes + starts[k] + 1, lengths[k] - 1);
    end = places[k];
  }
  if (!lengths.empty())
    gEventInsertOffset = int32_t(places.back() + uint32_t(total) - DataEventSize(lengths.back() - 1));
  result->messages = int32_t(lengths.size());
  result->nextTick = tick + uint32_t(lengths.size()) * step;
  return noErr;
}

}  // namespace

OSErr CollectSysExMessages(const uint8_t* bytes, uint32_t count, Handle* messages,
                           std::vector<uint32_t>* lengths, bool* cutShort) {
  SysExCollector collector;
  collector.lengths = lengths;
  for (uint32_t at = 0; at < count && collector.err == noErr; at += kSysExBlockSize)
    collector.Feed(bytes + at, count - at < kSysExBlockSize ? count - at : kSysExBlockSize);
  OSErr err = collector.Finish(messages);
  if (cutShort) *cutShort = collector.cutShort;
  return err;
}

OSErr ImportSysExDump(const FSSpec* fileSpec, uint32_t insertionTick, SysExDumpResult* result) {
  *result = SysExDumpResult();
  result->nextTick = insertionTick;
  int16_t saved = 0;
  OSType type = 0;
  OSErr err = OpenFileForImport(fileSpec, &saved, &type);
  if (err != noErr) return err;
  Handle messages;
  std::vector<uint32_t> lengths;
  bool cutShort = false;
  err = CollectFromStream(&messages, &lengths, &cutShort);
  CloseFileForImport(saved);
  if (err == noErr) err = InsertMessages(messages, lengths, insertionTick, result);
  DisposeHandleAndClear(&messages);
  if (err != noErr) {
    if (err != memFullErr) ReportFileError(err, fileSpec->name, kFileActionRead);  // memory: reported
    return err;
  }
  SetSongModified();
  UpdateTrackEnd(result->nextTick);
  RedrawAll(1);
  result->cutShort = cutShort;
  if (cutShort) ReportError(kSysExCutShortErr);  // the messages before the cut are in
  return noErr;
}
