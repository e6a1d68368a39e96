#include "mixer/window/mixer_selection.h"

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/utility_track_access.h"

namespace {

uint8_t* TrackRackCell(int32_t number) {
  int32_t index = FindTrackIndexByNumber(number);
  uint8_t* entry = index >= 0 ? GetTrackEntryAt(index) : nullptr;
  return entry ? entry + kTrackInsertRack : nullptr;
}

}  // namespace

int32_t FindTrackIndexByNumber(int32_t number) {
  if (!gCurrentSong || number < 0 || number > 254) return -1;
  for (int32_t i = 0, n = GetSongTrackCount(); i < n; ++i) {
    const uint8_t* entry = GetTrackEntryAt(i);
    if (!entry) return -1;
    if (entry[kTrackNumber] == number) return i;
  }
  return -1;
}

int32_t GetMixerSelectionKind() {
  if (!gCurrentSong) return 0;
  int32_t kind = ReadU16BE(gCurrentSong + kSongSelectionKind);
  if (kind == 0 && HasValidCurrentTrack()) {
    StoreMixerSelection(kMixerSelectsTrack, gCurrentTrack[kTrackNumber]);
    kind = kMixerSelectsTrack;
  }
  return kind;
}

int32_t GetMixerSelectionItem() {
  if (GetMixerSelectionKind() == 0) return 0;
  return ReadU16BE(gCurrentSong + kSongMixerItem);
}

void StoreMixerSelection(int32_t kind, int32_t item) {
  if (!gCurrentSong) return;
  WriteU16BE(gCurrentSong + kSongSelectionKind, uint16_t(kind));
  WriteU16BE(gCurrentSong + kSongMixerItem, uint16_t(item));
}

void SetMixerSelection(int32_t index, int32_t track) {
  if (index >= 0 && index <= gAuxBusCount) StoreMixerSelection(kMixerSelectsAuxBus, index + 1);
  else StoreMixerSelection(kMixerSelectsTrack, track);
}

uint8_t* GetAuxBusRack(int32_t n, int32_t* device) {
  if (n < 0 || n > gAuxBusCount) return nullptr;
  uint8_t* record = GetInstrumentRecord(gInstrumentCount + n);
  if (!record || record[kInstDeviceKinds] == 0) return nullptr;  // a bus without a device has no rack
  if (device) *device = gInstrumentCount + n;
  return record + kInstInsertRack;
}

uint8_t* GetMixerSelectionRack(int32_t* device) {
  if (device) *device = -1;
  int32_t kind = GetMixerSelectionKind();
  int32_t item = GetMixerSelectionItem();
  switch (kind) {
    case kMixerSelectsTrack:
    case kMixerSelectsTrackToo: return TrackRackCell(item);
    case kMixerSelectsAuxBus: return GetAuxBusRack(item - 1, device);
    case kMixerSelectsInstrument: {
      if (item >= gInstrumentCount) return nullptr;
      uint8_t* record = GetInstrumentRecord(item);
      if (!record) return nullptr;
      if (device) *device = item;
      return record + kInstInsertRack;
    }
    default: return nullptr;
  }
}

Handle GetMixerSelectedRack() {
  uint8_t* cell = GetMixerSelectionRack(nullptr);
  if (!cell) return Handle();
  Handle rack = Handle(ReadU32BE(cell));
  return IsInsertRack(rack) ? rack : Handle();
}

bool MixerSelectsMaster() {
  return GetMixerSelectionKind() == kMixerSelectsAuxBus && GetMixerSelectionItem() - 1 == gAuxBusCount;
}
