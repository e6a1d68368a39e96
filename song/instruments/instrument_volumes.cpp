#include "song/instruments/instrument_volumes.h"

#include "platform/memory/byte_order.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"

int32_t gMasterGain = 4096;
int32_t gMasterCurveGain = 4096;

// Interim: a square-law curve until the mixer's own curve resource is read.
uint32_t VolumeCurveValue(int32_t volume) {
  if (volume < 0) volume = 0;
  if (volume > 127) volume = 127;
  return uint32_t(volume * volume) * 32768u / (127u * 127u);
}

int16_t GetInstrumentVolume(const uint8_t* record) { return ReadI16BE(record + kInstVolume); }

int16_t SetInstrumentVolume(uint8_t* record, int32_t value) {
  if (value < 0) value = 0;
  if (value > 127) value = 127;
  WriteI16BE(record + kInstVolume, int16_t(value));
  WriteU32BE(record + kInstVolumeCurve, VolumeCurveValue(value));
  return int16_t(value);
}

void SetMasterVolume(int32_t v) {
  uint8_t* master = GetMasterEntry();
  if (master) v = SetInstrumentVolume(master, v);
  if (v < 0) v = 0;
  if (v > 127) v = 127;
  gMasterGain = v * 4096 / 127;
  gMasterCurveGain = int32_t((VolumeCurveValue(v) * 4096u) >> 15);
}

uint8_t GetSendBus(const uint8_t* record, int32_t s) {
  return record[kInstSends + kInstSendSize * s + 3] & 0x0F;
}

void SetSendBus(uint8_t* record, int32_t s, uint8_t bus) {
  uint8_t* flags = record + kInstSends + kInstSendSize * s + 3;
  *flags = uint8_t((*flags & 0xF0) | (bus & 0x0F));
}

// Interim: the strip and the instrument window are not redrawn until they exist.
void SetInstrumentLinkGroup(uint8_t* record, uint8_t group) {
  if (record[kInstLinkGroup] != group) record[kInstLinkGroup] = group;
}

void RebuildLinkGroups() {
  for (int32_t i = 0; i < gInstrumentCount; ++i) {
    uint8_t* r = GetInstrumentRecord(i);
    r[kInstLinkPrevious] = 0;
    r[kInstLinkNext] = 0;
    r[kInstOptions] &= uint8_t(~kInstOptionLinked);
  }
  for (int32_t i = 0; i < gInstrumentCount; ++i) {
    uint8_t* r = GetInstrumentRecord(i);
    uint8_t group = r[kInstLinkGroup];
    if (group == 0 || r[kInstLinkPrevious] != 0) continue;
    int32_t last = i;
    for (int32_t j = i + 1; j < gInstrumentCount; ++j) {
      uint8_t* other = GetInstrumentRecord(j);
      if (other[kInstLinkGroup] != group) continue;
      GetInstrumentRecord(last)[kInstLinkNext] = uint8_t(j + 1);
      other[kInstLinkPrevious] = uint8_t(last + 1);
      other[kInstOptions] |= kInstOptionLinked;
      last = j;
    }
    if (last != i) r[kInstOptions] |= kInstOptionLinked;
  }
}
