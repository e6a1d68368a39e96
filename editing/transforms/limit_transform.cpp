#include "editing/transforms/limit_transform.h"

#include <algorithm>

#include "editing/transforms/transform_frame.h"
#include "editing/transforms/value_settings.h"
#include "song/events/seq_event.h"

uint8_t gLimitMode = kLimitVelocity;
int32_t gLimitMinimum = 0;
int32_t gLimitMaximum = 127;

namespace {

// The top bit of a velocity byte is a flag of the note, not part of its loudness: only the
// low seven bits are limited and the flag is kept.
int32_t LimitEvent(uint8_t* event, void*) {
  int32_t offset = LimitedValueOffset(event);
  if (offset == 0 || !CopyFilterTakesEvent()) return 0;
  uint8_t b = event[offset];
  uint8_t keep = SeqEventKind(event) == kKindNote ? uint8_t(b & 0x80) : 0;
  int32_t v = keep ? (b & 0x7F) : b;
  v = std::min(std::max(v, gLimitMinimum), gLimitMaximum);
  event[offset] = uint8_t(keep | (v & 0x7F));
  return 0;
}

}  // namespace

int32_t LimitedValueOffset(const uint8_t* event) {
  uint8_t kind = SeqEventKind(event);
  switch (gLimitMode) {
    case kLimitVelocity: return kind == kKindNote ? kEventData2 : 0;
    case kLimitReleaseVelocity: return kind == kKindNote ? kEventData3 : 0;
    case kLimitChannelPressure: return kind == kKindChannelPressure ? kEventData1 : 0;
    case kLimitController:
      if (kind != kKindController) return 0;
      if (OnlyControllerN() && event[kEventData1] != gTransformController) return 0;
      return kEventData2;
    default: return 0;
  }
}

int32_t LimitTrackStep(void*) {
  return WalkTransformRange(LimitEvent, nullptr);
}

int32_t ApplyLimitTransform() { return ApplyTransformToSelection(kUndoKindLimit, LimitTrackStep, nullptr) ? 1 : 0; }
