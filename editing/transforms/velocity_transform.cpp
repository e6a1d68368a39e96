#include "editing/transforms/velocity_transform.h"

#include "editing/event_cursor.h"
#include "editing/transforms/transform_frame.h"
#include "editing/transforms/value_settings.h"
#include "shell/base/arithmetic.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"

uint8_t gVelocityFlags = 0;
int32_t gVelocityPercentFrom = 75;
int32_t gVelocityPercentTo = 125;

namespace {

// A one-tick selection leaves no room between start and the tick before the end: the ramp is
// then at its end value at once.
int32_t RampDivisor(uint32_t start, uint32_t end, int32_t less) {
  int32_t d = int32_t(end - start) - less;
  return d < 1 ? 1 : d;
}

int32_t VelocityEvent(uint8_t* event, void*) {
  if (SeqEventKind(event) != kKindNote || !EditFilterTakesEvent()) return 0;
  int32_t offset = (gVelocityFlags & kVelocityRelease) ? kEventData3 : kEventData2;
  uint8_t b = event[offset];
  int32_t x = TransformVelocityValue(b & 0x7F, SeqEventTime(event), gTimeSelection.start.tick,
                                     gTimeSelection.end.tick);
  event[offset] = uint8_t((b & 0x80) | x);
  if (gVelocityFlags & kVelocityChangeTopBit) {
    uint8_t top = (gVelocityFlags & kVelocityTopBitSet) ? 0x80 : 0;
    event[kEventData2] = uint8_t((event[kEventData2] & 0x7F) | top);
  }
  return 0;
}

}  // namespace

int32_t TransformVelocityValue(int32_t x, uint32_t tick, uint32_t start, uint32_t end) {
  int32_t t = int32_t(tick - start);
  int32_t v = x;
  switch (gVelocityFlags & kVelocityModeMask) {
    case kVelocitySet: v = gValueSetValue; break;
    case kVelocityAdd: v = x + gValueAddAmount; break;
    case kVelocityPercent: v = MulDivRound32(x, gValuePercent, 100); break;
    case kVelocityRamp:
      v = gValueRampStart + MulDivRound(t, gValueRampEnd - gValueRampStart, RampDivisor(start, end, 1));
      break;
    case kVelocityPercentRamp: {
      int32_t p = gVelocityPercentFrom +
                  MulDivRound(t, gVelocityPercentTo - gVelocityPercentFrom, RampDivisor(start, end, 0));
      v = MulDivRound32(x, p, 100);
      break;
    }
    default: break;
  }
  return ClampToMidi(v);
}

int32_t VelocityTrackStep(void*) {
  return WalkTransformRange(VelocityEvent, nullptr);
}

int32_t ApplyVelocityTransform() {
  return ApplyTransformToSelection(kUndoKindVelocity, VelocityTrackStep, nullptr) ? 1 : 0;
}
