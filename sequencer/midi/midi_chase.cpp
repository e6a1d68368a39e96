#include "sequencer/midi/midi_chase.h"

#include <algorithm>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/system/host_time.h"
#include "sequencer/clock/sysex_sender.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/midi/instrument_resets.h"
#include "sequencer/midi/instrument_routing.h"
#include "sequencer/midi/midi_output.h"
#include "sequencer/midi/volume_controllers.h"
#include "sequencer/transport/transport_engine.h"
#include "shell/base/error_report.h"
#include "song/conductor/conductor_map.h"
#include "song/events/event_seek.h"
#include "song/events/seq_event.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

uint16_t gChaseFilter = kChaseFilterDefault;
uint32_t gChaseOffset = 0;
uint32_t gChaseEnd = kSetupEntrySent;
uint16_t gSysExBlockDelay = 1;

namespace {

constexpr int32_t kListSend = 0, kListEntries = 4, kListPort = 8, kListDevice = 10;
constexpr int32_t kEntryStatus = 0, kEntryData1 = 1, kEntryData2 = 2, kEntryTime = 4;
constexpr int32_t kEntryList = 8, kEntryOffset = 12;
constexpr OSErr kMalformedSetupErr = 2;
constexpr uint16_t kChaseBlocks = 0x8000, kChaseEveryProgram = 0x0002;
constexpr uint16_t kChaseStopped = 0x0004, kChasePlaying = 0x0008;

Handle gSetupTable;
Handle gCurrentEntries;

// Where the events of one chase go and what they leave behind.
struct ChaseTarget {
  Handle list;                   // the events' list (records are kept only with one)
  const uint8_t* base = nullptr; // its start
  uint8_t* track = nullptr;      // takes the last program and pitch bend
  int32_t instrument = -1;       // the instrument of the slot, -1 none
  uint8_t channel = 0;           // the slot's channel (with an instrument)
  uint8_t deviceKind = 0, port = 0;
};

uint8_t* Bytes(Handle h) { return reinterpret_cast<uint8_t*>(*h); }
int32_t Count(Handle h, int32_t size) { return h ? int32_t(GetHandleSize(h) / size) : 0; }

// Device kinds whose events are stepped over, not chased.
bool IsUnchasedKind(uint8_t kind) {
  if (kind == 127 || kind == kDeviceKindNoOutput) return true;
  if (kind > 31 || kind == kDeviceKindPlugin || kind == kDeviceKindReWire) return false;
  return (0x1BBE000u >> kind) & 1;
}

Handle FindOrAddList(DriverProcId send, uint8_t port, uint8_t device) {
  if (!gSetupTable) {
    gSetupTable = NewHandleClear(0);
    if (!gSetupTable) return Handle();
  }
  int32_t n = Count(gSetupTable, kSetupListSize);
  for (int32_t i = 0; i < n; ++i) {
    uint8_t* l = Bytes(gSetupTable) + i * kSetupListSize;
    if (ReadU32BE(l + kListSend) == send && ReadU16BE(l + kListPort) == port)
      return Handle(ReadU32BE(l + kListEntries));
  }
  Handle entries = NewHandleClear(0);
  if (!entries) return Handle();
  SetHandleSize(gSetupTable, (n + 1) * kSetupListSize);
  if (MemError() != noErr) {
    DisposeHandle(entries);
    return Handle();
  }
  uint8_t* l = Bytes(gSetupTable) + n * kSetupListSize;
  WriteU32BE(l + kListSend, send);
  WriteU32BE(l + kListEntries, entries.id);
  WriteU16BE(l + kListPort, port);
  WriteU16BE(l + kListDevice, device);
  return entries;
}

bool SameKey(const uint8_t* e, uint8_t status, uint8_t data1) {
  if (e[kEntryStatus] != status) return false;
  uint8_t kind = status & 0xF0;
  if (kind == 0xC0 && (gChaseFilter & kChaseEveryProgram)) return false;
  if (kind >= 0xC0) return true;
  if (e[kEntryData1] != data1) return false;
  return !(kind == 0xB0 && (gChaseFilter & kChaseBlocks) && data1 >= 96 && data1 <= 101);
}

// A new zeroed entry at the end of the current list, or null when memory is short (the entry
// is lost and the chase goes on).
uint8_t* AppendEntry() {
  if (!gCurrentEntries) return nullptr;
  int32_t n = Count(gCurrentEntries, kSetupEntrySize);
  SetHandleSize(gCurrentEntries, (n + 1) * kSetupEntrySize);
  if (MemError() != noErr) return nullptr;
  uint8_t* e = Bytes(gCurrentEntries) + n * kSetupEntrySize;
  std::fill(e, e + kSetupEntrySize, uint8_t(0));
  return e;
}

void StoreEntry(uint8_t status, uint8_t data1, uint8_t data2, uint32_t time) {
  if (!gCurrentEntries) return;
  int32_t n = Count(gCurrentEntries, kSetupEntrySize);
  uint8_t* e = nullptr;
  for (int32_t i = 0; i < n && !e; ++i) {
    uint8_t* at = Bytes(gCurrentEntries) + i * kSetupEntrySize;
    if (SameKey(at, status, data1)) e = at;
  }
  if (e && ReadU32BE(e + kEntryTime) > time) return;
  if (!e && !(e = AppendEntry())) return;
  e[kEntryStatus] = status;
  e[kEntryData1] = data1;
  e[kEntryData2] = data2;
  WriteU32BE(e + kEntryTime, time);
}

// A system-exclusive record: every one is kept, by its list and offset.
void StoreBlock(const ChaseTarget& target, const uint8_t* event, uint32_t time) {
  if (!target.list) return;
  uint8_t* e = AppendEntry();
  if (!e) return;
  e[kEntryStatus] = kSetupBlock;
  WriteU32BE(e + kEntryTime, time);
  WriteU32BE(e + kEntryList, target.list.id);
  WriteU32BE(e + kEntryOffset, uint32_t(event - target.base));
}

// One channel event before the start point: what it leaves in the track and the instrument,
// and its entry.
void ChaseChannelEvent(const ChaseTarget& target, const uint8_t* event, uint32_t time) {
  uint8_t status = EventStatus(event), kind = status & 0xF0;
  uint8_t data1 = event[kEventData1], data2 = event[kEventData2];
  if (kind == kKindProgram) {
    if (target.track) WriteU16BE(target.track + kTrackLastProgram, data1 & 0x7F);
    if (uint8_t* record = target.instrument >= 0 ? GetInstrumentRecord(target.instrument) : nullptr)
      record[kInstProgram] = data1 & 0x7F;
  }
  if (kind == kKindController && target.instrument >= 0)
    TrackInstrumentController(target.instrument, data1, data2);
  if (target.instrument >= 0) status = uint8_t(kind | target.channel);
  if (time >= gChaseEnd) return;
  if (kind == kKindPitchBend && target.track)
    WriteU16BE(target.track + kTrackCentre72, uint16_t((data2 & 0x7F) * 128 + (data1 & 0x7F)));
  if (kind == kKindController && (gControllerTracking & 1) && target.deviceKind < kMidiDeviceKinds &&
      target.deviceKind != kDeviceKindNoOutput &&
      !MapVolumeController(target.deviceKind, target.port, status, data1, &data2))
    return;
  StoreEntry(status, data1, data2, time);
}

uint8_t* ChaseEvents(uint8_t* events, uint32_t bytes, uint32_t endTime, const ChaseTarget& target) {
  uint8_t* e = events;
  uint32_t left = bytes;
  while (left >= kShortEventSize) {
    uint32_t time = SeqEventTime(e);
    if (time == 0 || time > endTime) break;
    uint8_t kind = SeqEventKind(e);
    if (time == endTime && (kind == kKindSequenceRef || kind == kKindNote)) break;
    uint32_t step = EventStepWithin(e, left);
    if (step == 0) break;  // damaged record: stop the scan here
    uint32_t at = time + gChaseOffset;
    if (kind == kKindVariable) {
      if ((gChaseFilter & kChaseBlocks) && at < gChaseEnd) StoreBlock(target, e, at);
    } else if (kind >= 0x80 && kind != kKindNote && kind != kKindSystem &&
               (gChaseFilter & (1u << (kind >> 4)))) {
      ChaseChannelEvent(target, e, at);
    }
    e += step;
    left -= step;
  }
  return e;
}

// Makes the list of (send, port) current; false for a kind that is not chased or no memory.
bool SelectSetupList(DriverProcId send, uint8_t deviceKind, uint8_t port) {
  if (IsUnchasedKind(deviceKind)) return false;
  gCurrentEntries = FindOrAddList(send, port, deviceKind);
  return bool(gCurrentEntries);
}

// Sends one record entry of a list; false when its record is gone or damaged.
bool SendBlockEntry(const uint8_t* e, DriverProcId send, uint8_t port) {
  Handle list(ReadU32BE(e + kEntryList));
  uint32_t offset = ReadU32BE(e + kEntryOffset);
  if (!list || !*list) return false;
  uint32_t size = uint32_t(GetHandleSize(list));
  if (offset >= size) return false;
  if (SendSysExRecord(Bytes(list) + offset, size - offset, send, port) == 0) return false;
  if (gSysExBlockDelay > 0) Delay(gSysExBlockDelay, nullptr);
  return true;
}

// Sends one list's entries in time order (ties in list order); answers the number sent or
// -1 for a malformed entry.
int32_t SendList(Handle entries, DriverProcId send, uint8_t port) {
  int32_t n = Count(entries, kSetupEntrySize), sent = 0;
  for (;;) {
    int32_t best = -1;
    uint32_t bestTime = kSetupEntrySent;
    for (int32_t i = 0; i < n; ++i) {
      uint32_t t = ReadU32BE(Bytes(entries) + i * kSetupEntrySize + kEntryTime);
      if (t < bestTime) best = i, bestTime = t;
    }
    if (best < 0) return sent;
    uint8_t entry[kSetupEntrySize];
    std::copy_n(Bytes(entries) + best * kSetupEntrySize, kSetupEntrySize, entry);
    WriteU32BE(Bytes(entries) + best * kSetupEntrySize + kEntryTime, kSetupEntrySent);
    if (entry[kEntryStatus] == kSetupBlock) {
      if (!SendBlockEntry(entry, send, port)) return -1;
    } else if (entry[kEntryStatus] < 0x80) {
      return -1;
    } else {
      SendMidiMessage(send, entry[kEntryStatus], entry[kEntryData1], entry[kEntryData2], port, 0);
    }
    ++sent;
  }
}

// The tick of the conductor record the playing song's conductor stands at, or 0.
uint32_t ConductorRecordTick() {
  SongPlayState* s = GetPlayingSongState();
  if (!s || !s->song || !*s->song) return 0;
  Handle map(ReadU32BE(Bytes(s->song) + kSongConductorMap));
  if (!map || !*map || s->conductorCursor + kConductorRecordSize > uint32_t(GetHandleSize(map)))
    return 0;
  const uint8_t* r = Bytes(map) + s->conductorCursor;
  return ConductorKind(r) == kConductorEnd ? 0 : uint32_t(ConductorTick(r));
}

void IdleWhileSending() {}

// Whether a track's set-up data is sent (the chase switches of the filter word).
bool TrackChaseEnabled(const uint8_t* track, int32_t* mode) {
  bool enabled = track[kTrackFlags] & kTrackSounds;
  if (gTransportClock.playBits & 0x44) {
    *mode = kChaseAtStart;
    if (enabled) enabled = gChaseFilter & ((track[kTrackType] & 0x10) ? kChasePlaying : kChaseStopped);
  } else if (enabled) {
    enabled = ((gChaseFilter & kChasePlaying) && *mode == kChaseAtStart) || (gChaseFilter & kChaseStopped);
  }
  return enabled || *mode == kChaseForced;
}

void ChaseTrack(uint8_t* track, uint32_t from, uint32_t endTime, int32_t mode) {
  Handle list(ReadU32BE(track + kTrackEventList));
  if (!list || !*list) return;
  bool enabled = TrackChaseEnabled(track, &mode);
  if (!TrackUsesInstrumentSlots(track)) {
    uint8_t port = 0, device = 0;
    GetTrackRouting(track, 0, &port, &device, nullptr);
    ChaseOutput(list, from, endTime, ReadU32BE(track + kTrackDriverProc), device, port, enabled,
                track, -1, 0, mode);
    return;
  }
  int32_t instrument = GetTrackInstrument(track, 0);
  for (int32_t slot = 0; slot < kInstrumentParts; ++slot) {
    const uint8_t* record = GetInstrumentRecord(instrument);
    if (!record || !(record[kInstPartMask] & (1u << slot))) continue;
    ChaseOutput(list, from, endTime, ReadU32BE(record + kInstDriverProcs + 4 * slot),
                record[kInstDeviceKinds + slot], record[kInstPorts + slot], enabled, track,
                instrument, record[kInstChannels + slot] & 0x0F, mode);
  }
}

}  // namespace

void ResetChase() {
  int32_t n = Count(gSetupTable, kSetupListSize);
  for (int32_t i = 0; i < n; ++i)
    DisposeHandle(Handle(ReadU32BE(Bytes(gSetupTable) + i * kSetupListSize + kListEntries)));
  if (gSetupTable) DisposeHandle(gSetupTable);
  gSetupTable = Handle();
  gCurrentEntries = Handle();
}

uint8_t* ChaseTrackEvents(uint8_t* events, uint32_t bytes, uint32_t endTime) {
  return ChaseEvents(events, bytes, endTime, ChaseTarget{});
}

uint8_t* ChaseOutput(Handle list, uint32_t from, uint32_t endTime, DriverProcId send,
                     uint8_t deviceKind, uint8_t port, bool enabled, uint8_t* track,
                     int32_t instrument, uint8_t channel, int32_t) {
  if (!list || !*list) return nullptr;
  uint32_t size = uint32_t(GetHandleSize(list));
  if (track) size = std::min(size, ReadU32BE(track + kTrackEventBytes));
  if (from >= size) return Bytes(list) + size;
  uint8_t* events = Bytes(list) + from;
  if (!SelectSetupList(send, deviceKind, port) || !enabled)
    return SeekEventListWithin(events, size - from, int32_t(endTime));
  ChaseTarget target{list, Bytes(list), track, instrument, channel, deviceKind, port};
  return ChaseEvents(events, size - from, endTime, target);
}

void ChaseSong(Handle song, uint32_t tick, int32_t mode) {
  if (!song || !*song) return;
  uint32_t size = uint32_t(GetHandleSize(song));
  if (size < uint32_t(kSongHeaderSize)) return;
  uint32_t offset = kSongHeaderSize;
  for (uint16_t t = 0, n = ReadU16BE(Bytes(song) + kSongTrackCount); t < n; ++t) {
    if (offset + kTrackEntrySize > size) break;
    uint8_t* entry = Bytes(song) + offset;
    uint16_t length = ReadU16BE(entry + kTrackLength);
    if (length < kTrackEntrySize) break;
    offset += length;
    ChaseTrack(entry, 0, tick, mode);
  }
}

int32_t SendSetupData(uint32_t delayTicks, bool resetInstruments) {
  PushIdleTask(IdleWhileSending);
  if (resetInstruments) ResetAllInstruments();
  if (uint32_t tick = ConductorRecordTick()) SendInitialVolumes(tick);
  int32_t total = 0;
  for (int32_t i = 0, n = Count(gSetupTable, kSetupListSize); i < n; ++i) {
    const uint8_t* l = Bytes(gSetupTable) + i * kSetupListSize;
    int32_t sent = SendList(Handle(ReadU32BE(l + kListEntries)), ReadU32BE(l + kListSend),
                            uint8_t(ReadU16BE(l + kListPort)));
    if (sent < 0) {
      ReportError(kMalformedSetupErr);
      continue;
    }
    total += sent;
  }
  ResetChase();
  if (total > 0 && delayTicks > 0) Delay(delayTicks, nullptr);
  if (TopIdleTask() == IdleWhileSending) PopIdleTask();
  return total;
}

int32_t CountSetupLists() { return Count(gSetupTable, kSetupListSize); }

