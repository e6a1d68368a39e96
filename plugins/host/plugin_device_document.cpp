// The device table's life with the song document: taking the block a document brought,
// fixing the song ids of old files, emptying the table before a document is read, and the
// sweeps over reference counts and links.
#include <cstdio>
#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_device_table.h"
#include "plugins/host/plugin_devices.h"
#include "sequencer/clock/click_track.h"
#include "song/documents/document_file.h"
#include "song/instruments/instrument_record.h"
#include "song/model/clipboard_record.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"

namespace {

void ClearLinks() {
  for (DeviceLinks& links : gDeviceLinks) links = DeviceLinks();
}

// A block that is not a whole number of records loses its partial tail; one with more
// records than ids exist keeps only the first kMaxPluginDevices.
int32_t UsableRecordCount(Handle table) {
  int32_t count = CountDeviceRecords(table);
  if (GetHandleSize(table) % kPluginDeviceSize != 0)
    std::fprintf(stderr, "plug-in devices: the table's last record is cut short and left out\n");
  if (count > kMaxPluginDevices) {
    std::fprintf(stderr, "plug-in devices: %d records, only the first %d are kept\n", count, kMaxPluginDevices);
    count = kMaxPluginDevices;
  }
  return count;
}

// The click device after loading: live again (and named from its chain) when the click track
// has a rack, pending otherwise; registered when the document brought none and the click
// track has a rack.
void SettleClickDevice() {
  Handle rack = GetClickTrackRack();
  PluginDeviceView click{FindPluginDeviceById(kClickPluginDeviceId, 0)};
  if (!click.p) {
    if (rack) RegisterClickDevice();
    return;
  }
  if (!rack || !GetRackChainHead(rack)) {
    click.SetFlags(uint16_t(click.Flags() | kDevicePending));
    return;
  }
  SetRackDeviceIdByte(rack, uint8_t(kClickPluginDeviceId));
  UpdateRackDevice(rack, 2);
}

}  // namespace

void DisposeDeviceTable() {
  Handle table = GetPluginDeviceTable();
  SetDeviceTableBlock(Handle(), 0);
  ClearLinks();
  PublishLiveDevices();
  if (table) DisposeHandle(table);
}

// Records widened from the 64-byte form keep their first 64 bytes; the words at 48 and 56
// meant something else then and start cleared.
void ClearWidenedWords(int32_t count, uint16_t fileVersion) {
  if (fileVersion >= kFirstVersionWith80ByteDevices) return;
  for (int32_t n = 0; n < count; ++n) {
    std::memset(GetPluginDeviceRecord(n) + kDeviceSecondId, 0, 4);
    std::memset(GetPluginDeviceRecord(n) + kDeviceWord56, 0, 4);
  }
}

void LoadDeviceTable(uint16_t fileVersion) {
  ClearLinks();
  Handle table = GetDocumentSlot(kDeviceTableSlot);
  if (!table || !IsValidHandle(table)) {
    SetDeviceTableBlock(Handle(), 0);
    PublishLiveDevices();
    return;
  }
  int32_t count = UsableRecordCount(table);
  SetHandleSize(table, Size(count) * kPluginDeviceSize);
  HLockHi(table);
  SetDeviceTableBlock(table, count);
  for (int32_t n = 0; n < count; ++n) std::memset(GetPluginDeviceRecord(n) + kDeviceLinks, 0, kPluginDeviceSize - kDeviceLinks);
  ClearWidenedWords(count, fileVersion);
  SettleClickDevice();
  PublishLiveDevices();
}

// Files before version 1570 kept a track device's song as its slot index in the word that is
// now the reference count.
void FixTrackDeviceSongIds(uint16_t fileVersion) {
  for (int32_t n = 0; n < CountTableRecords(); ++n) {
    PluginDeviceView d{GetPluginDeviceRecord(n)};
    int32_t slot = d.RefCount();
    d.SetRefCount(0);
    if (fileVersion >= kFirstVersionWithDeviceSongIds || !d.IsTrackDevice() || d.SongId() != 0) continue;
    Handle song = slot < gSongCount ? GetSongHandleAt(slot) : Handle();
    if (song && IsValidHandle(song)) d.SetSongId(SongHeaderView(reinterpret_cast<uint8_t*>(HandleData(song))).Id());
  }
}

void SetClickDeviceSong(int32_t on) {
  PluginDeviceView click{FindPluginDeviceById(kClickPluginDeviceId, 0)};
  if (!click.p) return;
  click.SetSongId(on && gCurrentSong ? SongHeaderView(gCurrentSong).Id() : kNoDeviceSong);
}

void DecrementTrackIndexAfter(int32_t trackIndex) {
  if (!gCurrentSong) return;
  uint16_t song = SongHeaderView(gCurrentSong).Id();
  for (int32_t n = 0; n < CountTableRecords(); ++n) {
    PluginDeviceView d{GetPluginDeviceRecord(n)};
    if (d.IsTrackDevice() && d.SongId() == song && d.TrackIndex() > trackIndex)
      d.SetTrackIndex(uint16_t(d.TrackIndex() - 1));
  }
}

namespace {

// The instruments the clipboard holds (kinds 1 and 3) name plug-in devices of the table just
// emptied: they lose those references, so that a paste registers their racks again instead of
// claiming whatever device of the next document has the same id.
void RefreshClipboardDeviceReferences() {
  if (!gClipboard || !IsValidHandle(gClipboard)) return;
  Handle table = ClipboardRackTableOf(gClipboard);
  if (!table) return;
  int32_t count = int32_t(GetHandleSize(table) / kInstrumentSize);
  for (int32_t i = 0; i < count; ++i) {
    InstrumentView copy(reinterpret_cast<uint8_t*>(HandleData(table)) + size_t(i) * kInstrumentSize);
    if (copy.DeviceKind(0) != kDeviceKindPlugin) continue;
    copy.SetPort(0, 0);
    WriteU32BE(copy.bytes() + kInstPluginDevice, 0);
  }
}

}  // namespace

void ResetDeviceTable() {
  DisposeDeviceTable();
  RefreshClipboardDeviceReferences();
}

void MarkUnreferencedDevices() {
  for (int32_t n = 0; n < CountTableRecords(); ++n) {
    PluginDeviceView d{GetPluginDeviceRecord(n)};
    if (d.RefCount() == 0 && d.Id() != kClickPluginDeviceId) d.SetFlags(uint16_t(d.Flags() | kDevicePending));
  }
  PublishLiveDevices();
}

void ClearDeviceLinksTo(uint32_t instance) {
  if (instance == 0) return;
  for (int32_t n = 0; n < CountTableRecords(); ++n) {
    if (gDeviceLinks[n].instance != instance) continue;
    gDeviceLinks[n].instance = 0;
    PluginDeviceView d{GetPluginDeviceRecord(n)};
    d.SetFlags(uint16_t(d.Flags() | kDevicePending));
  }
  PublishLiveDevices();
  // The instance is about to go: no reader may still reach it through an older view.
  WaitForDeviceViewReaders();
}
