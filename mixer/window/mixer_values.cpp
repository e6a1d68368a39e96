#include "mixer/window/mixer_values.h"

#include <algorithm>
#include <cmath>

#include "mixer/window/mixer_header.h"

namespace {
constexpr int32_t kMaxBusses = 32;
}  // namespace

double DragFaderValue(double start, int32_t startV, int32_t v, double maximum, int32_t travel) {
  if (travel <= 0) return start;
  double value = start + double(startV - v) * maximum / double(travel);
  return std::clamp(value, 0.0, maximum);
}

void ApplyRackFaderLink(int32_t fader, double oldValue, double values[3]) {
  if (fader != 1 && fader != 2) return;
  int32_t other = fader == 1 ? 2 : 1;
  float d = std::trunc(float(oldValue) - float(values[fader]));
  float moved = float(values[other]) + d * float(kRackFaderMaxima[other]) / float(kRackFaderMaxima[fader]);
  values[other] = std::clamp(moved, 0.0f, float(kRackFaderMaxima[other]));
}

double LinkedFaderOne(double faderTwo) {
  return std::trunc(256.0 - 256.0 * faderTwo / 32768.0);
}

int32_t PageFirstVisible(int32_t first, int32_t count, int32_t perLine, bool forward) {
  int32_t step = perLine > 1 ? perLine - 1 : 1;
  if (!forward) return first != 0 ? std::max(first - step, 0) : first;
  return first + perLine < count ? first + step : first;
}

float ToggledBooleanValue(float value) { return value <= 0.5f ? 1.0f : 0.0f; }

int32_t CountBusChannels(const OutputBusLayout& layout) {
  int32_t total = 0;
  for (int32_t i = 0; i < layout.count; ++i) total += (layout.stereo >> i) & 1 ? 2 : 1;
  return total;
}

OutputBusLayout ToggleOutputBus(OutputBusLayout layout, int32_t bus, int32_t channels) {
  layout.count = std::clamp(layout.count, 1, kMaxBusses);
  if (bus < 0 || bus >= layout.count) return layout;
  layout.stereo ^= 1u << bus;
  while (CountBusChannels(layout) > channels && layout.count > 1) {
    uint32_t last = 1u << (layout.count - 1);
    if (layout.stereo & last) layout.stereo &= ~last;
    else --layout.count;
  }
  while (CountBusChannels(layout) < channels) {
    int32_t lastBus = layout.count - 1;
    uint32_t last = 1u << lastBus;
    if (!(layout.stereo & last) && lastBus != bus) layout.stereo |= last;
    else if (layout.count < kMaxBusses) layout.stereo &= ~(1u << layout.count++);
    else break;
  }
  return layout;
}
