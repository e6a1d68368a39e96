#include "sequencer/midi/midi_chase.h"

#include <algorithm>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/system/host_time.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/midi/midi_output.h"
#include "shell/base/error_report.h"
#include "song/events/event_seek.h"
#include "song/events/seq_event.h"
#include "song/model/song_layout.h"

uint16_t gChaseFilter = kChaseFilterDefault;
uint32_t gChaseOffset = 0;
uint32_t gChaseEnd = kSetupEntrySent;

namespace {

constexpr int32_t kListSend = 0, kListEntries = 4, kListPort = 8, kListDevice = 10;
constexpr int32_t kEntryStatus = 0, kEntryData1 = 1, kEntryData2 = 2, kEntryTime = 4;
constexpr OSErr kMalformedSetupErr = 2;

Handle gSetupTable;
Handle gCurrentEntries;

uint8_t* Bytes(Handle h) { return reinterpret_cast<uint8_t*>(*h); }
int32_t Count(Handle h, int32_t size) { return h ? int32_t(GetHandleSize(h) / size) : 0; }

// Device kinds whose events are stepped over, not chased.
bool IsUnchasedKind(uint8_t kind) {
  if (kind == 127) return true;
  if (kind > 31 || kind == 20 || kind == 21) return false;
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
  if (kind == 0xC0 && (gChaseFilter & 0x0002)) return false;  // every program kept
  if (kind >= 0xC0) return true;
  if (e[kEntryData1] != data1) return false;
  return !(kind == 0xB0 && (gChaseFilter & 0x8000) && data1 >= 96 && data1 <= 101);
}

void StoreEntry(uint8_t status, uint8_t data1, uint8_t data2, uint32_t time) {
  if (!gCurrentEntries) return;
  int32_t n = Count(gCurrentEntries, kSetupEntrySize);
  for (int32_t i = 0; i < n; ++i) {
    uint8_t* e = Bytes(gCurrentEntries) + i * kSetupEntrySize;
    if (!SameKey(e, status, data1)) continue;
    if (ReadU32BE(e + kEntryTime) > time) return;
    e[kEntryData1] = data1;
    e[kEntryData2] = data2;
    WriteU32BE(e + kEntryTime, time);
    return;
  }
  SetHandleSize(gCurrentEntries, (n + 1) * kSetupEntrySize);
  if (MemError() != noErr) return;  // memory short: the entry is lost, the chase goes on
  uint8_t* e = Bytes(gCurrentEntries) + n * kSetupEntrySize;
  for (int32_t k = 0; k < kSetupEntrySize; ++k) e[k] = 0;
  e[kEntryStatus] = status;
  e[kEntryData1] = data1;
  e[kEntryData2] = data2;
  WriteU32BE(e + kEntryTime, time);
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
    uint8_t* e = Bytes(entries) + best * kSetupEntrySize;
    WriteU32BE(e + kEntryTime, kSetupEntrySent);
    if (e[kEntryStatus] < 0x80) return -1;  // blocks are not collected here
    SendMidiMessage(send, e[kEntryStatus], e[kEntryData1], e[kEntryData2], port, 0);
    ++sent;
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
    bool channelKind = kind >= 0x80 && kind != kKindNote && kind != 0xF0;
    if (channelKind && (gChaseFilter & (1u << (kind >> 4))) && at < gChaseEnd)
      StoreEntry(EventStatus(e), e[kEventData1], e[kEventData2], at);
    e += step;
    left -= step;
  }
  return e;
}

uint8_t* ChaseOutput(uint8_t* events, uint32_t bytes, uint32_t endTime, DriverProcId send,
                     uint8_t deviceKind, uint8_t port, bool enabled) {
  if (deviceKind == 11 || IsUnchasedKind(deviceKind))
    return SeekEventListWithin(events, bytes, int32_t(endTime));
  Handle entries = FindOrAddList(send, port, deviceKind);
  if (!entries) return events;
  gCurrentEntries = entries;
  if (!enabled) return SeekEventListWithin(events, bytes, int32_t(endTime));
  return ChaseTrackEvents(events, bytes, endTime);
}

void ChaseSong(Handle song, uint32_t tick) {
  if (!song || !*song) return;
  uint32_t size = uint32_t(GetHandleSize(song));
  if (size < uint32_t(kSongHeaderSize)) return;
  uint8_t* s = Bytes(song);
  uint32_t offset = kSongHeaderSize;
  for (uint16_t t = 0, n = ReadU16BE(s + kSongTrackCount); t < n; ++t) {
    if (offset + kTrackEntrySize > size) break;
    uint8_t* entry = s + offset;
    uint16_t length = ReadU16BE(entry + kTrackLength);
    if (length < kTrackEntrySize) break;
    offset += length;
    if (entry[kTrackFlags] & kTrackInstrumentTrack) continue;
    Handle events(ReadU32BE(entry + kTrackEventList));
    if (!events || !*events) continue;
    uint32_t bytes = std::min<uint32_t>(ReadU32BE(entry + kTrackEventBytes), uint32_t(GetHandleSize(events)));
    bool enabled = (entry[kTrackFlags] & kTrackSounds) && (gChaseFilter & 0x0004);
    ChaseOutput(Bytes(events), bytes, tick, ReadU32BE(entry + kTrackDriverProc), entry[kTrackType],
                entry[kTrackMidiOutput], enabled);
    s = Bytes(song);  // nothing above moves the song, but stay safe
  }
}

int32_t SendSetupData(uint32_t delayTicks) {
  int32_t total = 0;
  int32_t n = Count(gSetupTable, kSetupListSize);
  for (int32_t i = 0; i < n; ++i) {
    uint8_t* l = Bytes(gSetupTable) + i * kSetupListSize;
    int32_t sent = SendList(Handle(ReadU32BE(l + kListEntries)), ReadU32BE(l + kListSend), uint8_t(ReadU16BE(l + kListPort)));
    if (sent < 0) {
      ReportError(kMalformedSetupErr);
      continue;
    }
    total += sent;
  }
  ResetChase();
  if (total > 0 && delayTicks > 0) Delay(delayTicks, nullptr);
  return total;
}

int32_t CountSetupLists() { return Count(gSetupTable, kSetupListSize); }

Handle GetSetupEntries(int32_t n, DriverProcId* send, uint8_t* port) {
  if (n < 0 || n >= CountSetupLists()) return Handle();
  uint8_t* l = Bytes(gSetupTable) + n * kSetupListSize;
  if (send) *send = ReadU32BE(l + kListSend);
  if (port) *port = uint8_t(ReadU16BE(l + kListPort));
  return Handle(ReadU32BE(l + kListEntries));
}
