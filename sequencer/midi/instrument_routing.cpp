#include "sequencer/midi/instrument_routing.h"

#include "platform/memory/byte_order.h"
#include "sequencer/clock/tick_scheduler.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

uint8_t gControllerTracking = 0;

bool TrackUsesInstrumentSlots(const uint8_t* track) {
  return track && (track[kTrackFlags] & kTrackInstrumentTrack);
}

bool GetTrackRouting(const uint8_t* track, int32_t slot, uint8_t* port, uint8_t* device,
                     uint8_t* channel) {
  const uint8_t* record = track ? GetInstrumentRecord(GetTrackInstrument(track, 0)) : nullptr;
  if (TrackUsesInstrumentSlots(track) && record && slot >= 0 && slot < kInstrumentParts) {
    if (port) *port = record[kInstPorts + slot];
    if (device) *device = record[kInstDeviceKinds + slot];
    if (channel) *channel = record[kInstChannels + slot] & 0x0F;
    return true;
  }
  if (port) *port = track ? track[kTrackMidiOutput] : 0;
  if (device) *device = track ? track[kTrackType] : 0;
  if (channel) *channel = record ? record[kInstChannels] & 0x0F : 0;
  return false;
}

bool GetInstrumentRouting(int32_t slot, uint8_t* port, uint8_t* device, uint8_t* channel) {
  int32_t instrument = gCurrentInstrument;
  bool slots = GetTrackRouting(gCurrentTrack, slot, port, device, channel);
  gCurrentInstrument = instrument;
  gCurrentInstrumentPart = slot >= 0 && slot < kInstrumentParts ? slot : 0;
  return slots;
}

void GetInstrumentOutput(int32_t slot, uint8_t* port, uint8_t* device) {
  GetInstrumentRouting(slot, port, device, nullptr);
}

void TrackInstrumentController(int32_t instrument, uint8_t controller, uint8_t value) {
  if (instrument < 0 || instrument >= gInstrumentCount) return;
  uint8_t* record = GetInstrumentRecord(instrument);
  if (!record) return;
  value &= 0x7F;
  if (gControllerTracking & 1) {
    if (controller == record[kInstVolumeController]) {
      record[kInstFixedVolume] = value;
      record[kInstOptions] |= kInstOptionFixedVolume;
    } else if (controller == record[kInstPanController]) {
      record[kInstPanControlValue] = uint8_t(value | 0x80);
    }
  }
  uint32_t bank = ReadU32BE(record + kInstBank);
  if (controller == 0) {
    WriteU32BE(record + kInstBank, (bank & ~0x3F80u) | (uint32_t(value) << 7));
    record[kInstMidiState] |= kInstStateBankMsb;
  } else if (controller == 32) {
    WriteU32BE(record + kInstBank, (bank & ~0x7Fu) | value);
    record[kInstMidiState] |= kInstStateBankLsb;
  }
}

uint16_t GetBankWordForProgram(int32_t, uint16_t oldBank) { return oldBank; }
