// Questions the windows and the song model ask of the device table: the devices a song can
// play, the current track's device and the rack whose chain plays a device.
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "plugins/host/plugin_device_table.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/library/plugin_table.h"
#include "sequencer/clock/click_track.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/child_sequences.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_numbers.h"
#include "song/model/utility_track_access.h"

namespace {

// Song modes (Song +18) in which a track plays its instrument directly.
constexpr uint8_t kStepInputMode = 1;
constexpr uint8_t kRecordMode = 3;

uint16_t CurrentSongId() { return gCurrentSong ? SongHeaderView(gCurrentSong).Id() : kNoDeviceSong; }

// A bus device, an instrument device or a track device of the current song; the click
// device only when asked.
bool IsVisibleDevice(PluginDeviceView d, int32_t includeClick) {
  if (d.Id() == kClickPluginDeviceId && !includeClick) return false;
  if (!d.IsTrackDevice()) return true;
  return gCurrentSong && d.SongId() == CurrentSongId();
}

Handle InstrumentRack(int32_t index) {
  uint8_t* entry = GetInstrumentRecord(index);
  return entry ? InstrumentView(entry).InsertRack() : Handle();
}

// The song a track device names, selected: its slot's song, or for a device of a child
// sequence the child of that index under the song's current track (the child being worked on
// is chosen from there), with its track numbers mapped. False when there is none.
bool SelectDeviceSong(PluginDeviceView d) {
  int32_t slot = -1;
  if (!FindSongById(d.SongId(), &slot)) return false;
  SelectSongIndex(slot);
  if (d.ChildIndex() < 0) return gCurrentSong != nullptr;
  uint8_t follow = gFollowSongLinks;
  Handle cellSong = gChildCellSong;
  int32_t cellOffset = gChildCellOffset, parent = gChildParentTrackNumber;
  gFollowSongLinks = 0;
  bool chosen = gCurrentSong && SelectChildSequence(d.ChildIndex());
  gFollowSongLinks = follow;
  gChildCellSong = cellSong;
  gChildCellOffset = cellOffset;
  gChildParentTrackNumber = parent;
  if (chosen) RebuildTrackNumberMap();
  return chosen && gCurrentSong != nullptr;
}

// The rack of the track a track device names; the song is selected in a context of its own.
Handle TrackDeviceRack(PluginDeviceView d, uint8_t** track) {
  if (PushSongContext() != noErr) return Handle();
  Handle rack;
  if (SelectDeviceSong(d) && d.TrackIndex() < SongHeaderView(gCurrentSong).TrackCount()) {
    SetCurrentTrackIndex(d.TrackIndex());
    rack = Handle(ReadU32BE(gCurrentTrack + kTrackInsertRack));
    if (track) *track = gCurrentTrack;
  }
  PopSongContext();
  if (d.ChildIndex() >= 0) RebuildTrackNumberMap();  // the current song's numbers again
  return rack;
}

}  // namespace

int32_t CountSongTrackDevices(int32_t includeClick) {
  int32_t records = CountDeviceRecords(GetPluginDeviceTable());
  gPluginDeviceCount = records < kMaxPluginDevices ? records : kMaxPluginDevices;
  int32_t count = 0;
  for (int32_t n = 0; n < CountTableRecords(); ++n)
    if (IsVisibleDevice(PluginDeviceView{GetPluginDeviceRecord(n)}, includeClick)) ++count;
  return count;
}

uint32_t GetNthVisibleDeviceId(int32_t n) {
  for (int32_t k = 0; k < CountTableRecords() && n >= 0; ++k) {
    PluginDeviceView d{GetPluginDeviceRecord(k)};
    if (IsVisibleDevice(d, 0) && n-- == 0) return d.Id();
  }
  return 0;
}

int32_t GetDeviceTrackIndex(uint32_t id) {
  PluginDeviceView d{FindPluginDeviceById(id, 0)};
  return d.p && d.IsTrackDevice() ? d.TrackIndex() : -1;
}

Handle GetDevicePluginChain(const uint8_t* record, uint8_t** track) {
  if (track) *track = nullptr;
  if (!record) return Handle();
  PluginDeviceView d{const_cast<uint8_t*>(record)};
  if (d.Id() == kClickPluginDeviceId) {
    if (track) *track = gClickTrack;
    return GetClickTrackRack();
  }
  if (d.BusIndex() >= 0) return InstrumentRack(gInstrumentCount + d.BusIndex());
  if (d.InstrumentNumber() != 0)
    return d.InstrumentNumber() - 1 < gInstrumentCount ? InstrumentRack(d.InstrumentNumber() - 1) : Handle();
  return TrackDeviceRack(d, track);
}

uint8_t* GetCurrentTrackDevice() {
  if (!gCurrentSong || !gCurrentTrack || gCurrentTrack[kTrackType] != kDeviceKindPlugin) return nullptr;
  uint8_t mode = SongHeaderView(gCurrentSong).SongMode();
  if (mode != kStepInputMode && mode != kRecordMode) return nullptr;
  PluginDeviceView d{FindPluginDeviceById(gCurrentTrack[kTrackMidiOutput], 0)};
  if (!d.p || (d.IsTrackDevice() && d.SongId() != CurrentSongId())) return nullptr;
  return d.p;
}

Handle GetCurrentDevicePluginChain(int32_t useDevice, uint8_t** device) {
  uint8_t* current = useDevice ? GetCurrentTrackDevice() : nullptr;
  if (device) *device = current;
  if (current) return GetDevicePluginChain(current, nullptr);
  return useDevice ? GetTrackInsertRack() : GetFocusedPluginRack();
}

int32_t GetCurrentDeviceBusIndex() {
  PluginDeviceView d{GetCurrentTrackDevice()};
  return d.p && d.BusIndex() >= 0 ? d.BusIndex() : -1;
}

void SetPluginRecordFlag(bool on) {
  PluginDeviceView d{GetCurrentTrackDevice()};
  PluginInstance* instance = d.p ? GetDeviceInstance(d.Id()) : nullptr;
  PluginInfo* info = instance ? PluginInfoAt(int32_t(instance->tableIndex)) : nullptr;
  if (!info) return;
  if (on) info->pluginFlags |= kPluginFlagStepRecord;
  else info->pluginFlags &= ~uint32_t(kPluginFlagStepRecord);
}
