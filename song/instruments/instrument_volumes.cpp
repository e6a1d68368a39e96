#include "song/instruments/instrument_volumes.h"

#include <algorithm>

#include "platform/memory/byte_order.h"
#include "shell/base/arithmetic.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"

int32_t gMasterGain = 4096;
int32_t gMasterCurveGain = 4096;

namespace {

constexpr std::array<uint16_t, kVolumeCurveSize> MakeVolumeCurve() {
  std::array<uint16_t, kVolumeCurveSize> curve{};
  for (uint32_t v = 0; v < kVolumeCurveSize; ++v) curve[v] = uint16_t(v * v * 32768u / (127u * 127u));
  return curve;
}

}  // namespace

const std::array<uint16_t, kVolumeCurveSize> gVolumeCurve = MakeVolumeCurve();

uint32_t VolumeCurveValue(int32_t volume) {
  if (volume < 0) volume = 0;
  if (volume > 127) volume = 127;
  return gVolumeCurve[size_t(volume)];
}

int32_t LookupVolumeCurveIndex(int32_t level) {
  if (level < 1) return 0;
  auto at = std::lower_bound(gVolumeCurve.begin(), gVolumeCurve.end(), uint32_t(level),
                             [](uint16_t gain, uint32_t l) { return gain < l; });
  return at == gVolumeCurve.end() ? kVolumeCurveSize - 1 : int32_t(at - gVolumeCurve.begin());
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
  gMasterGain = MulDivRound32(v, 4096, 127);
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
