#include "song/instruments/output_match.h"

#include "shell/base/audio_driver_lookup.h"
#include "song/instruments/instrument_table.h"

namespace {

int32_t ScoreInstrument(const InstrumentView& view, uint8_t deviceKind, uint8_t port, uint8_t channel) {
  uint8_t kind = view.DeviceKind(0);
  if (kind == kDeviceKindNoOutput || deviceKind == kDeviceKindNoOutput) return 0;
  int32_t score = 0;
  if (kind == deviceKind)
    score = 8;
  else if (HasAudioDriverEntry(kind) == HasAudioDriverEntry(deviceKind))
    score = 4;
  if (view.Port(0) == port) score += 2;
  if (view.Channel(0) == channel) score += 1;
  return score;
}

}  // namespace

int32_t FindInstrumentForOutput(uint8_t deviceKind, uint8_t port, uint8_t channel, int32_t bit) {
  int32_t best = -1;
  int32_t bestScore = 0;
  uint8_t mask = uint8_t(1u << (bit & 7));
  for (int32_t i = 0; i < gInstrumentCount; ++i) {
    InstrumentView view(GetInstrumentRecord(i));
    if (!(view.PartMask() & 1) || (view.Flags() & mask)) continue;
    int32_t score = ScoreInstrument(view, deviceKind, port, channel);
    if (score > bestScore) {
      best = i;
      bestScore = score;
    }
  }
  return best;
}
