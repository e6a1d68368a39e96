#include "mixer/meters/engine_values.h"

#include <algorithm>
#include <atomic>

#include "audio/engine/engine_channels.h"
#include "mixer/meters/instrument_meters.h"
#include "mixer/outputs/instrument_values.h"
#include "platform/memory/byte_order.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/instrument_volumes.h"

namespace {

void Redraw(int32_t index, int16_t element) {
  if (gInstrumentMeterPlaces.redrawElement) gInstrumentMeterPlaces.redrawElement(index, element);
}

// The strips of a link chain (Instrument +32/+33, index + 1) that take the linked value.
void GiveVolumeToChain(int32_t index, int32_t volume) {
  uint8_t* record = GetInstrumentRecord(index);
  int32_t steps = 0;
  for (int32_t next = record ? record[kInstLinkNext] : 0; next > 0 && steps < kMaxInstruments; ++steps) {
    uint8_t* member = GetInstrumentRecord(next - 1);
    if (!member || next - 1 == index) break;
    if (member[kInstOptions] & kInstOptionTakesLinkedValue) {
      SetInstrumentVolume(member, volume);
      Redraw(next - 1, kStripFaderElement);
      Redraw(next - 1, kStripVolumeValueElement);
    }
    next = member[kInstLinkNext];
  }
}

void ApplyStrip(int32_t index, uint8_t* record) {
  if (record[kInstPanControlValue] & kParkedPanValid) {
    record[kInstPan] = record[kInstPanControlValue] & 0x7F;
    record[kInstPanControlValue] = 0;
    Redraw(index, kStripPanValueElement);
    Redraw(index, kStripKnobElement);
  }
  if (record[kInstOptions] & kInstOptionFixedVolume) {
    record[kInstOptions] &= uint8_t(~kInstOptionFixedVolume);
    int32_t volume = SetInstrumentVolume(record, record[kInstFixedVolume]);
    GiveVolumeToChain(index, volume);
    Redraw(index, kStripFaderElement);
    Redraw(index, kStripVolumeValueElement);
  }
  if (record[kInstMixerFlags] & kProgramArrived) {
    record[kInstMixerFlags] &= uint8_t(~kProgramArrived);
    record[kInstProgram] = record[kInstTrackByte71];
    Redraw(index, kStripProgramElement);
  }
}

// A send the automation moved is written into the strip's send slot for its bus, and drawn at
// once while that send is shown.
void TakeMovedSends(uint8_t* record, EngineChannel* channel) {
  for (int32_t n = 0; n < kChannelSends && channel->sendGains[n].bus != 0; ++n) {
    ChannelSend& moved = channel->sendGains[n];
    if (!std::atomic_ref<uint8_t>(moved.changed).exchange(0)) continue;
    for (int32_t s = 0; s < kInstrumentSends; ++s) {
      if (GetSendBus(record, s) != moved.bus) continue;
      uint8_t* slot = record + kInstSends + kInstSendSize * s;
      WriteU16BE(slot, uint16_t(LookupVolumeCurveIndex(moved.level)));
      slot[2] = uint8_t(std::clamp<int32_t>(moved.pan, 0, 127));
      if (gInstrumentWindowPart != s + 1) continue;
      int32_t index = GetStripIndex(record);
      for (int16_t element : {kStripPanValueElement, kStripKnobElement, kStripVolumeValueElement, kStripFaderElement})
        Redraw(index, element);
    }
  }
}

}  // namespace

void ParkEngineValues(uint8_t* record, EngineChannel* channel) {
  if (!record || !channel || !channel->automation) return;
  TakeMovedSends(record, channel);
  uint8_t pan = uint8_t(std::clamp<int32_t>(channel->pan, 0, 127));
  if (pan != record[kInstPan]) record[kInstPanControlValue] = uint8_t(kParkedPanValid | pan);
  int32_t volume = LookupVolumeCurveIndex(channel->volume);
  if (volume != GetInstrumentVolume(record)) {
    record[kInstFixedVolume] = uint8_t(volume);
    record[kInstOptions] |= kInstOptionFixedVolume;
  }
}

void ApplyParkedValues() {
  int32_t count = gInstrumentCount + gAuxBusCount + 1;
  for (int32_t i = 0; i < count; ++i)
    if (uint8_t* record = GetInstrumentRecord(i)) ApplyStrip(i, record);
}
