#include "editing/transforms/quantize_settings.h"

namespace {

QuantizeSettings InitialQuantizeSettings() {
  QuantizeSettings s{};
  InitQuantizeSettings(&s);
  return s;
}

}  // namespace

QuantizeSettings gQuantizeSettings = InitialQuantizeSettings();
QuantizeSettings gInputQuantizeSettings = InitialQuantizeSettings();
uint8_t gChordWindow = 48;

void InitQuantizeSettings(QuantizeSettings* s) {
  *s = QuantizeSettings{};
  SetQuantizeU32(s, kQuantizeGridIndex, 9);
  SetQuantizeU32(s, kQuantizeGrid, 0);
  SetQuantizeI16(s, kQuantizeSwing, 50);
  SetQuantizeI16(s, kQuantizeVelocityStrength, 100);
  SetQuantizeI16(s, kQuantizeTimingStrength, 100);
  SetQuantizeI16(s, kQuantizeDurationStrength, 10);
  SetQuantizeI16(s, kQuantizeGrooveId, 1);
  SetQuantizeByte(s, kQuantizeFlags, kQuantizeStarts);
}

int32_t QuantizeGridTicks(const QuantizeSettings* s) {
  int32_t grid = GetQuantizeU32(s, kQuantizeGrid);
  return grid > 0 ? grid : 1;
}
