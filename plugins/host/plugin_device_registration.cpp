// Registering the devices of racks, and rebuilding the table from the songs' tracks and the
// instrument table.
//
// A change never edits the published block in place: the new table is made in a block of
// its own and swapped in, so a full memory leaves the old table and count as they were.
#include <cstring>

#include "audio/engine/engine_channels.h"
#include "audio/engine/engine_plugin_hooks.h"
#include "audio/render/channel_render.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_device_table.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "sequencer/clock/click_settings.h"
#include "sequencer/clock/click_track.h"
#include "shell/base/progress_hooks.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/song_context.h"
#include "song/model/song_iterators.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr int32_t kRackIdByte = 36;

// The lowest id from 1 that no record uses; 0 when every ordinary id is taken.
uint32_t LowestFreeDeviceId() {
  for (uint32_t id = 1; id <= kMaxPluginDeviceId; ++id)
    if (!FindPluginDeviceById(id, 0)) return id;
  return 0;
}

// Where a record without a wanted id goes: the first record whose id is below 1, else the end.
int32_t FreeRecordPosition() {
  for (int32_t n = 0; n < CountTableRecords(); ++n)
    if (int32_t(PluginDeviceView{GetPluginDeviceRecord(n)}.Id()) < 1) return n;
  return gPluginDeviceCount;
}

// A copy of the table with a zeroed record at `at`, locked high; 0 when memory is short.
Handle TableWithRecordAt(int32_t at) {
  Handle table = NewHandleClear(Size(gPluginDeviceCount + 1) * kPluginDeviceSize);
  if (!table || MemError() != noErr) return Handle();
  HLockHi(table);
  auto* to = reinterpret_cast<uint8_t*>(HandleData(table));
  if (uint8_t* from = GetPluginDeviceRecord(0)) {
    std::memcpy(to, from, size_t(at) * kPluginDeviceSize);
    std::memcpy(to + size_t(at + 1) * kPluginDeviceSize, from + size_t(at) * kPluginDeviceSize,
                size_t(gPluginDeviceCount - at) * kPluginDeviceSize);
  }
  return table;
}

void OpenLinkAt(int32_t at) {
  for (int32_t n = gPluginDeviceCount; n > at; --n) gDeviceLinks[n] = gDeviceLinks[n - 1];
  gDeviceLinks[at] = DeviceLinks();
}

// Step 5: the record's fields for the rack's device.
void FillDeviceRecord(uint8_t* record, Handle rack, uint32_t id, int32_t instrumentIndex) {
  PluginDeviceView d{record};
  d.SetRefCount(1);
  d.SetKind(kPluginDeviceKind);
  d.SetId(id);
  SetRackDeviceIdByte(rack, uint8_t(id));
  d.SetBusIndex(instrumentIndex - gInstrumentCount);
  d.SetInstrumentNumber(0);
  if (instrumentIndex < 0) {
    d.SetSongId(gCurrentSong ? SongHeaderView(gCurrentSong).Id() : kNoDeviceSong);
    d.SetChildIndex(int16_t(gCurrentChildIndex));
    d.SetTrackIndex(uint16_t(gCurrentSong ? GetCurrentTrackIndex() : 0));
    d.SetTrackNumber(gCurrentSong && gCurrentTrack ? gCurrentTrack[kTrackNumber] : 0);
  } else if (uint8_t* entry = GetInstrumentRecord(instrumentIndex)) {
    InstrumentView(entry).SetPort(0, uint8_t(id));
    d.SetInstrumentNumber(uint8_t(instrumentIndex + 1));
  }
}

// Step 6: the head instance knows its device and the record links it; a rack the engine
// already renders links its channel's MIDI state too.
void LinkRackHead(int32_t n, Handle rack, uint32_t id) {
  uint32_t head = GetRackChainHead(rack);
  gDeviceLinks[n].instance = head;
  if (PluginInstance* record = GetPluginInstance(head)) SetInstanceDevice(record, 0, uint8_t(id));
  EngineChannel* channel = GetRackEngineChannel(rack);
  auto* state = channel && channel->renderState ? static_cast<PluginMidiState*>(channel->renderState->midiState) : nullptr;
  if (!state) return;
  gDeviceLinks[n].midiState = state;
  gDeviceLinks[n].channel = channel;
  state->ownerId = id;
  state->clickChannel = id == kClickPluginDeviceId ? 1 : 0;
}

// The record's name made again from the rack's chain (its old name does not count as taken).
void RenameFromChain(uint8_t* record, Handle rack) {
  uint8_t name[32] = {0};
  PluginDeviceView{record}.SetName(name);
  MakeDeviceName(GetPluginDeviceTable(), GetRackChainHead(rack), CountTableRecords(), name);
  PluginDeviceView{record}.SetName(name);
}

// A pending click record is used again rather than a new one made.
void ReuseClickRecord(uint8_t* record, Handle rack, int32_t instrumentIndex) {
  PluginDeviceView d{record};
  RenameFromChain(record, rack);
  FillDeviceRecord(record, rack, kClickPluginDeviceId, instrumentIndex);
  d.SetFlags(uint16_t(d.Flags() & ~kDevicePending));
  LinkRackHead(DeviceRecordIndex(record), rack, kClickPluginDeviceId);
}

// The id a registration gives: the wanted one when it is free (254 only for the click), else
// the lowest free one; 0 when none is left.
uint32_t ChooseDeviceId(int32_t wanted) {
  if (wanted >= 1 && uint32_t(wanted) <= kClickPluginDeviceId && !FindPluginDeviceById(uint32_t(wanted), 0))
    return uint32_t(wanted);
  return LowestFreeDeviceId();
}

}  // namespace

uint8_t GetRackDeviceIdByte(Handle rack) {
  if (!rack || !IsValidHandle(rack) || GetHandleSize(rack) <= kRackIdByte) return 0;
  return reinterpret_cast<uint8_t*>(HandleData(rack))[kRackIdByte];
}

void SetRackDeviceIdByte(Handle rack, uint8_t id) {
  if (!rack || !IsValidHandle(rack) || GetHandleSize(rack) <= kRackIdByte) return;
  reinterpret_cast<uint8_t*>(HandleData(rack))[kRackIdByte] = id;
}

OSErr RegisterPluginDevice(Handle rack, int32_t* id, int32_t instrumentIndex) {
  if (!rack || !IsValidHandle(rack)) return paramErr;
  gPluginDeviceCount = CountTableRecords();
  int32_t wanted = id ? *id : -1;
  if (wanted >= 0) {
    uint8_t* found = FindPluginDeviceById(uint32_t(wanted), 0);
    if (found && uint32_t(wanted) == kClickPluginDeviceId && PluginDeviceView{found}.IsPending()) {
      ReuseClickRecord(found, rack, instrumentIndex);
      PublishLiveDevices();
      return noErr;
    }
  }
  uint32_t given = ChooseDeviceId(wanted);
  if (given == 0 || gPluginDeviceCount >= kMaxPluginDevices) return memFullErr;
  int32_t at = wanted >= 0 && given == uint32_t(wanted) ? gPluginDeviceCount : FreeRecordPosition();
  Handle table = TableWithRecordAt(at);
  if (!table) return memFullErr;
  uint8_t* record = reinterpret_cast<uint8_t*>(HandleData(table)) + size_t(at) * kPluginDeviceSize;
  uint8_t name[32];
  MakeDeviceName(table, GetRackChainHead(rack), gPluginDeviceCount + 1, name);
  PluginDeviceView{record}.SetName(name);
  FillDeviceRecord(record, rack, given, instrumentIndex);
  Handle old = GetPluginDeviceTable();
  OpenLinkAt(at);
  SetDeviceTableBlock(table, gPluginDeviceCount + 1);
  if (old) DisposeHandle(old);
  LinkRackHead(at, rack, given);
  if (id) *id = int32_t(given);
  PublishLiveDevices();
  return noErr;
}

namespace {

int32_t RegisterTrackDevice(void*) {
  uint8_t* track = gCurrentTrack;
  if (!track) return 0;
  Handle rack(ReadU32BE(track + kTrackInsertRack));
  if (!IsInsertRack(rack) || !(GetRackFlags(rack) & kRackFlagInstrument) || !GetRackChainHead(rack)) return 0;
  int32_t id = GetRackDeviceIdByte(rack);
  if (id == 0) id = 1;
  if (RegisterPluginDevice(rack, &id, -1) == noErr) {
    RefreshCurrentSongPtr();
    if (gCurrentTrack) gCurrentTrack[kTrackMidiOutput] = uint8_t(id);
  }
  return 0;
}

int32_t RegisterSongTracks(void*) { return IterateTracks(RegisterTrackDevice, nullptr); }

void RegisterInstrumentDevices() {
  for (int32_t i = 0; i <= GetMasterIndex(); ++i) {
    uint8_t* entry = GetInstrumentRecord(i);
    if (!entry) break;
    Handle rack = InstrumentView(entry).InsertRack();
    if (!IsInsertRack(rack) || !(GetRackFlags(rack) & kRackFlagInstrument)) continue;
    int32_t id = InstrumentView(entry).Port(0);
    if (id == 0) id = -1;
    RegisterPluginDevice(rack, &id, i);
  }
}

}  // namespace

OSErr RegisterClickDevice() {
  Handle rack = GetClickTrackRack();
  if (!IsInsertRack(rack) || !GetRackChainHead(rack)) return paramErr;
  int32_t id = int32_t(kClickPluginDeviceId);
  OSErr err = RegisterPluginDevice(rack, &id, -1);
  PluginDeviceView click{FindPluginDeviceById(kClickPluginDeviceId, 0)};
  if (err != noErr || !click.p) return err != noErr ? err : OSErr(paramErr);
  // The click track belongs to no song.
  click.SetSongId(kNoDeviceSong);
  click.SetChildIndex(-1);
  click.SetTrackIndex(0);
  click.SetTrackNumber(0);
  gClickTrack[kTrackMidiOutput] = uint8_t(kClickPluginDeviceId);
  PublishLiveDevices();
  return noErr;
}

void RebuildPluginDeviceTable() {
  DisposeDeviceTable();
  ForEachSong(RegisterSongTracks, nullptr);
  RegisterInstrumentDevices();
  if (GetClickTrackRack() && !FindPluginDeviceById(kClickPluginDeviceId, 0)) RegisterClickDevice();
  PublishLiveDevices();
  UpdateAllBusBypass();
}

void UpdateRackDevice(Handle rack, int32_t mode) {
  if (!rack || !IsValidHandle(rack)) return;
  PluginDeviceView d{FindPluginDeviceById(GetRackDeviceIdByte(rack), 0)};
  if (!d.p) return;
  if (mode == 0) d.SetFlags(uint16_t(d.Flags() | kDevicePending));
  if (mode == 1) d.SetFlags(uint16_t(d.Flags() & ~kDevicePending));
  if (mode == 2) {
    RenameFromChain(d.p, rack);
    d.SetRefCount(0);
    LinkRackHead(DeviceRecordIndex(d.p), rack, d.Id());
    d.SetFlags(uint16_t(d.Flags() & ~kDevicePending));
    SetRackFlags(rack, uint8_t(GetRackFlags(rack) | kRackFlagInstrument));
  }
  PublishLiveDevices();
}

void RebuildForClickChange(int32_t flag) {
  Handle rack = GetClickTrackRack();
  bool stale = rack && !(GetRackFlags(rack) & kRackFlagInsertsOff) &&
               (gClickSettings.deviceKind != kPluginDeviceKind || gClickSettings.deviceId != GetClickTrackDevice());
  if (flag && stale) DisposeClickTrackMedia();
  if (!IsProgramQuitting()) RebuildPluginDeviceTable();
}
