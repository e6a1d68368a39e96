#include "tests/editing/value_transforms/value_transform_fixture.h"

#include <gtest/gtest.h>

#include <ostream>

#include "editing/edit_context.h"
#include "editing/transforms/controller_value_transform.h"
#include "editing/transforms/limit_transform.h"
#include "editing/transforms/thin_transform.h"
#include "editing/transforms/value_settings.h"
#include "editing/transforms/velocity_transform.h"
#include "platform/memory/memory.h"
#include "song/events/seq_event.h"
#include "song/model/utility_track_access.h"
#include "tests/song/undo/undo_fixture.h"

namespace value_test {

bool operator==(const Ev& a, const Ev& b) {
  return a.tick == b.tick && a.status == b.status && a.d1 == b.d1 && a.d2 == b.d2 && a.d3 == b.d3;
}

std::ostream& operator<<(std::ostream& os, const Ev& e) {
  return os << "{" << e.tick << ", 0x" << std::hex << int(e.status) << std::dec << ", " << int(e.d1) << ", "
            << int(e.d2) << ", " << int(e.d3) << "}";
}

void ValueTransformTest::ResetSettings() {
  gValueSetValue = 64;
  gValueAddAmount = 0;
  gValuePercent = 100;
  gValueRampStart = 64;
  gValueRampEnd = 64;
  gTransformController = 1;
  gTransformOptions = 0;
  gVelocityFlags = 0;
  gVelocityPercentFrom = 75;
  gVelocityPercentTo = 125;
  gLimitMode = kLimitVelocity;
  gLimitMinimum = 0;
  gLimitMaximum = 127;
  gThinFlags = 0x0F;
  gThinMinimumChange = 10;
  gThinMinimumTicks = 10;
  gValueOperation = kValueSet;
  gControllerTarget = kTargetModulation;
  gControllerEditState = ControllerEditState{200, 0, 64, 64, 64, 100, kNoValueInForce, 0, 0, 0, 1};
}

void ValueTransformTest::SetUp() {
  EditSongTest::SetUp();
  ResetSettings();
}

void ValueTransformTest::TearDown() {
  ResetSettings();
  EditSongTest::TearDown();
}

void ValueTransformTest::MakeOneTrackSong(int32_t resolution, int32_t numerator, int32_t denominator) {
  MakeSong(1, resolution, numerator, denominator);
  UseTrack(0);
}

void ValueTransformTest::Put(const std::vector<Ev>& events) {
  std::vector<uint8_t> bytes;
  for (const Ev& e : events) {
    size_t at = bytes.size();
    if (GetEventLengthByKind(e.status) == kShortEventSize) {
      bytes.resize(at + kShortEventSize);
      FillShortEvent(&bytes[at], e.tick, e.status, e.d1, e.d2);
    } else {
      bytes.resize(at + kLongEventSize);
      FillLongEvent(&bytes[at], e.tick, e.status, e.d1, e.d2, 120);
      bytes[at + kEventData3] = e.d3;
    }
  }
  bytes.resize(bytes.size() + kEndRecordSize, 0);
  undo_test::SetTrackEvents(bytes);
  if (selectionEnd_ > selectionStart_) SelectTime(selectionStart_, selectionEnd_);
}

void ValueTransformTest::Select(uint32_t start, uint32_t end) {
  selectionStart_ = start;
  selectionEnd_ = end;
  SelectTime(start, end);
  RefreshContext();
}

std::vector<Ev> ValueTransformTest::Events() const {
  std::vector<Ev> out;
  Handle list = GetCurrentTrackEventList();
  if (!list) return out;
  const auto* p = reinterpret_cast<const uint8_t*>(HandleData(list));
  const uint8_t* end = p + GetHandleSize(list);
  while (p < end && SeqEventKind(p) != kKindEnd) {
    Ev e{SeqEventTime(p), EventStatus(p), p[kEventData1], p[kEventData2]};
    if (GetSeqEventLength(p) == kLongEventSize) e.d3 = p[kEventData3];
    out.push_back(e);
    p += GetSeqEventLength(p);
  }
  return out;
}

void ValueTransformTest::RefreshContext() { SetEditContextKind(); }

void ValueTransformTest::ExpectUndoRestores(const std::string& before) {
  EXPECT_NE(before, SavedDocument()) << "the transform changed nothing";
  Edit(edit_test::kUndoItem);
  EXPECT_EQ(before, SavedDocument());
}

}  // namespace value_test
