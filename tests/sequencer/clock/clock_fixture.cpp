#include "tests/sequencer/clock/clock_fixture.h"

#include <array>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/timing/time_manager.h"
#include "sequencer/clock/note_off_queue.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/tick_routines.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/sequencer_hooks.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/conductor_time.h"
#include "song/conductor/tempo_tables.h"
#include "song/events/seq_event.h"
#include "song/instruments/driver_procs.h"
#include "song/model/song_layout.h"
#include "song/model/track_sections.h"

std::vector<SentMessage> gSent;

namespace {

int32_t RecordMessage(uint8_t* record, int32_t arg) {
  gSent.push_back({TimeManagerNowNanos(), uint8_t(arg), record[6], record[7],
                   uint8_t(record[1] == 9 ? record[8] : 0), record[1]});
  return 0;
}

Handle CopyToHandle(const std::vector<uint8_t>& bytes) {
  Handle h = NewHandleClear(Size(bytes.size()));
  std::copy(bytes.begin(), bytes.end(), reinterpret_cast<uint8_t*>(*h));
  return h;
}

}  // namespace

void ClockTest::SetUp() {
  InstallSequencerHooks();
  UseManualTimeManagerClock(true);
  gTempoTableResolution = 480;
  gSmpteRateCode = 3;
  BuildTempoTables();
  ClearConductorTimeIndex();
  TransportClock& c = gTransportClock;
  c.lock.store(0);
  c.flags.store(0);
  c.tickDebt = 0;
  c.tempoScale = 2048;
  c.dueCounter = 0;
  c.frameAccumulator = 0;
  for (uint8_t& b : c.timeCode) b = 0;
  ResetNoteOffPool();
  SelectTickRoutine();
  SetDriverProcById(kRecorderProc, RecordMessage);
  gSent.clear();
}

void ClockTest::TearDown() {
  RemoveClockTimer();
  ReleasePlayback();
  SetDriverProcById(kRecorderProc, nullptr);
  for (Handle h : handles) DisposeHandle(h);
  UseManualTimeManagerClock(false);
}

Handle ClockTest::MakeSong(const std::vector<TestTrack>& tracks,
                           const std::vector<std::pair<int32_t, uint16_t>>& tempos,
                           uint16_t tempo) {
  std::vector<uint8_t> map;
  for (auto [tick, value] : tempos) {
    uint8_t r[kConductorRecordSize];
    MakeConductorRecord(r, kConductorTempo, 0, tick, value, 0);
    map.insert(map.end(), r, r + kConductorRecordSize);
  }
  uint8_t end[kConductorRecordSize];
  MakeConductorRecord(end, kConductorEnd, 0, kConductorEndTick, 0, 0);
  map.insert(map.end(), end, end + kConductorRecordSize);
  Handle mapHandle = CopyToHandle(map);
  handles.push_back(mapHandle);

  int32_t size = kSongHeaderSize;
  for (const TestTrack& t : tracks) size += kTrackEntrySize + kChildCellSize * int32_t(t.children.size());
  Handle song = NewHandleClear(size);
  handles.push_back(song);
  uint8_t* s = reinterpret_cast<uint8_t*>(*song);
  WriteU16BE(s + kSongTrackCount, uint16_t(tracks.size()));
  WriteU16BE(s + kSongTempo, tempo);
  WriteU16BE(s + kSongTicksPerBeat, 480);
  s[kSongBeatsPerBar] = 4;
  WriteU16BE(s + kSongResolution, 480);
  WriteU16BE(s + kSongTempoFactor, 2048);
  WriteU32BE(s + kSongConductorLength, uint32_t(map.size() - kConductorRecordSize));
  WriteU32BE(s + kSongConductorMap, mapHandle.id);
  uint8_t* e = s + kSongHeaderSize;
  for (const TestTrack& t : tracks) {
    int32_t length = kTrackEntrySize + kChildCellSize * int32_t(t.children.size());
    WriteU16BE(e + kTrackLength, uint16_t(length));
    e[kTrackChildCount] = uint8_t(t.children.size());
    e[kTrackFlags] = t.flags;
    e[kTrackMidiOutput] = t.output;
    WriteU32BE(e + kTrackTickLength, t.length);
    WriteU32BE(e + kTrackDriverProc, kRecorderProc);
    WriteU32BE(e + kTrackDrumData, t.drum.id);
    for (size_t c = 0; c < t.children.size(); ++c)
      WriteU32BE(e + kTrackChildTable + kChildCellSize * int32_t(c), t.children[c].id);
    // Events in tick order (notes and references are both 14 bytes).
    std::vector<std::array<uint8_t, kLongEventSize>> records;
    std::vector<uint32_t> ticks;
    for (const TestEvent& ev : t.events) {
      std::array<uint8_t, kLongEventSize> r{};
      if ((ev.status & 0xF0) == kKindNote) FillLongEvent(r.data(), ev.tick, ev.status, ev.d1, ev.d2, ev.duration);
      else FillShortEvent(r.data(), ev.tick, ev.status, ev.d1, ev.d2);
      records.push_back(r);
      ticks.push_back(ev.tick);
    }
    for (auto ref : t.references) {
      std::array<uint8_t, kLongEventSize> r{};
      FillLongEvent(r.data(), ref[0], kKindSequenceRef, 0, 0, 0);
      WriteU16BE(r.data() + kEventChildIndex, uint16_t(ref[1] * 4));
      SetEventLongDuration(r.data(), ref[2]);
      records.push_back(r);
      ticks.push_back(ref[0]);
    }
    std::vector<size_t> order(records.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return ticks[a] < ticks[b]; });
    std::vector<uint8_t> list;
    for (size_t i : order) {
      const auto& r = records[i];
      uint32_t n = GetSeqEventLength(r.data());
      list.insert(list.end(), r.begin(), r.begin() + n);
    }
    list.insert(list.end(), kEndRecordSize, 0);
    Handle events = CopyToHandle(list);
    handles.push_back(events);
    WriteU32BE(e + kTrackEventList, events.id);
    WriteU32BE(e + kTrackEventBytes, uint32_t(list.size()));
    e += length;
  }
  return song;
}

void ClockTest::Play(Handle song, uint32_t ticks) {
  ASSERT_EQ(noErr, PreparePlayback(song, 0));
  startNanos = TimeManagerNowNanos();
  ASSERT_EQ(noErr, InstallClockTimer(ClockTimerPlayProc, 0));
  RunTicks(ticks);
}

void ClockTest::RunTicks(uint32_t ticks) {
  for (int32_t guard = 0; gTransportClock.songTick < ticks && guard < 10000000; ++guard)
    FireTimeManagerTasksUntil(TimeManagerNowNanos() + 50000);
}

std::vector<uint32_t> ClockTest::NoteOnNotes() {
  std::vector<uint32_t> out;
  for (const SentMessage& m : gSent)
    if ((m.status & 0xF0) == 0x90 && m.data2 > 0) out.push_back(m.data1);
  return out;
}

Handle MakeSections(const std::vector<std::array<uint32_t, 3>>& sections) {
  Handle h = NewHandleClear(kSectionHeaderBytes + kSectionEntryBytes * Size(sections.size() + 1));
  uint8_t* p = reinterpret_cast<uint8_t*>(*h);
  WriteU32BE(p + kSectionCountWord, uint32_t(sections.size()));
  for (size_t n = 0; n < sections.size(); ++n) {
    uint8_t* e = p + kSectionHeaderBytes + kSectionEntryBytes * n;
    uint32_t end = sections[n][0] + sections[n][1] - 1;
    WriteU32BE(e + kSectionStart, sections[n][0]);
    WriteU32BE(e + kSectionEnd, end);
    WriteU32BE(e + kSectionRepeatCount, sections[n][2]);
    WriteU32BE(e + kSectionRepeatsEnd, SectionRepeatsEnd(sections[n][0], end, sections[n][2]));
  }
  return h;
}
