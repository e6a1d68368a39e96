// The thin transform: the time and value tests, alone and together, per channel, key and
// controller, the pitch bend measured by its whole value, the first event of each stream kept,
// and Undo giving the saved document back.
#include <gtest/gtest.h>

#include "editing/transforms/thin_transform.h"
#include "editing/transforms/value_settings.h"
#include "tests/editing/value_transforms/value_transform_fixture.h"

namespace value_test {
namespace {

class ThinTest : public ValueTransformTest {
 protected:
  void SetUp() override {
    ValueTransformTest::SetUp();
    MakeOneTrackSong(120, 6, 8);
    Select(1, 2000);
  }
  std::vector<Ev> Thin(uint8_t flags, const std::vector<Ev>& events) {
    Put(events);
    gThinFlags = flags;
    EXPECT_EQ(1, ApplyThinTransform());
    return Events();
  }
};

constexpr uint8_t kAllKinds = kThinPitchBend | kThinChannelPressure | kThinPolyPressure | kThinControllers;

// Controller 7 on channel 1 at close ticks, rising by small and large steps.
std::vector<Ev> ControllerRun() {
  return {{5, 0xB0, 7, 0}, {8, 0xB0, 7, 5}, {20, 0xB0, 7, 20}, {25, 0xB0, 7, 25}, {40, 0xB0, 7, 40}};
}

TEST_F(ThinTest, WithoutATestNothingIsDeleted) {
  EXPECT_EQ(ControllerRun(), Thin(kAllKinds, ControllerRun()));
}

TEST_F(ThinTest, TimeTestDeletesEventsTooCloseToTheLastKept) {
  std::vector<Ev> expected = {{5, 0xB0, 7, 0}, {20, 0xB0, 7, 20}, {40, 0xB0, 7, 40}};
  EXPECT_EQ(expected, Thin(kAllKinds | kThinByTime, ControllerRun()));
}

TEST_F(ThinTest, ValueTestDeletesSmallChangesAndKeepsTheFirstEvent) {
  // The first value 0 lies below the minimum change: it still starts the stream.
  std::vector<Ev> expected = {{5, 0xB0, 7, 0}, {20, 0xB0, 7, 20}, {40, 0xB0, 7, 40}};
  EXPECT_EQ(expected, Thin(kAllKinds | kThinByValue, ControllerRun()));
}

TEST_F(ThinTest, BothTestsDeleteOnlyWhatIsCloseAndSmall) {
  std::vector<Ev> events = {{10, 0xD0, 50, 0}, {12, 0xD0, 52, 0}, {14, 0xD0, 90, 0}, {40, 0xD0, 91, 0}};
  std::vector<Ev> expected = {{10, 0xD0, 50, 0}, {14, 0xD0, 90, 0}, {40, 0xD0, 91, 0}};
  EXPECT_EQ(expected, Thin(kAllKinds | kThinByTime | kThinByValue, events));
}

TEST_F(ThinTest, StreamsAreKeptApartByChannelKeyAndController) {
  std::vector<Ev> events = {{5, 0xB0, 7, 10},  {6, 0xB1, 7, 11},  {7, 0xB0, 10, 12}, {8, 0xA0, 60, 13},
                            {9, 0xA0, 61, 14}, {10, 0xA0, 60, 15}, {11, 0xE0, 0, 64}, {12, 0xE3, 0, 64}};
  std::vector<Ev> expected = events;
  expected.erase(expected.begin() + 5);  // key 60 again, 2 ticks after its first
  EXPECT_EQ(expected, Thin(kAllKinds | kThinByTime, events));
}

TEST_F(ThinTest, PitchBendIsMeasuredByItsWholeValue) {
  // The low bytes are equal; the bend moves by 16 and then by 1 steps of its high byte.
  std::vector<Ev> events = {{10, 0xE0, 0, 64}, {100, 0xE0, 0, 80}, {200, 0xE0, 0, 81}};
  std::vector<Ev> expected = {{10, 0xE0, 0, 64}, {100, 0xE0, 0, 80}};
  EXPECT_EQ(expected, Thin(kAllKinds | kThinByValue, events));
}

TEST_F(ThinTest, KindsOffAndControllersOtherThanNAreKept) {
  std::vector<Ev> events = {{10, 0xE0, 0, 64}, {11, 0xE0, 0, 65}, {20, 0xB0, 1, 3},
                            {21, 0xB0, 1, 4},  {22, 0xB0, 7, 3},  {23, 0xB0, 7, 4}};
  gTransformController = 7;
  gTransformOptions = kOnlyControllerN;
  std::vector<Ev> expected = {events[0], events[1], events[2], events[3], events[4]};
  EXPECT_EQ(expected, Thin(kThinControllers | kThinByTime, events));
}

TEST_F(ThinTest, EventsOutsideTheSelectionAndNotesStay) {
  Select(100, 200);
  std::vector<Ev> events = {{50, 0xB0, 7, 1}, {101, 0xB0, 7, 2}, {102, 0x90, 60, 64},
                            {103, 0xB0, 7, 3}, {199, 0xB0, 7, 90}, {201, 0xB0, 7, 91}};
  std::vector<Ev> expected = {events[0], events[1], events[2], events[4], events[5]};
  gThinMinimumTicks = 255;
  EXPECT_EQ(expected, Thin(kAllKinds | kThinByTime | kThinByValue, events));
}

TEST_F(ThinTest, UndoGivesTheSavedDocumentBack) {
  Put(ControllerRun());
  std::string before = SavedDocument();
  gThinFlags = kAllKinds | kThinByTime;
  ASSERT_EQ(1, ApplyThinTransform());
  ExpectUndoRestores(before);
}

}  // namespace
}  // namespace value_test
