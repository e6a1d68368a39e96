// Dragging a value with the mouse: steps by distance, the arrow mode inside the field,
// clamping, and drags that change nothing.
#include <dlfcn.h>

#include <string>

#include "platform/files/folders.h"
#include "platform/quickdraw/cursors.h"
#include "shell/base/resource_files.h"
#include "shell/dialogs/value_drag.h"
#include "shell/dialogs/value_fields.h"
#include "shell/drawing/scratch_rect.h"
#include "tests/shell/fields/fields_fixture.h"

namespace fields_test {
namespace {

int gCommitted = -1;
void RecordCommit(int32_t value) { gCommitted = value; }

class ValueDragTest : public FieldsTest {
 protected:
  void SetUp() override {
    FieldsTest::SetUp();
    SetScratchRect(100, 40, 60, 24);  // field (40, 100) - (64, 160), centre (52, 130) local
    centre_ = Global(At(52, 130));
  }
  int32_t Drag(int32_t minimum, int32_t maximum, int32_t value, Point pressAt, std::vector<Step> script) {
    PressAt(pressAt);
    RunScript(std::move(script));
    return TrackValueDragDefault(RecordCommit, minimum, maximum, value, 6);
  }
  Point Off(int dv, int dh = 0) const { return At(centre_.v + dv, centre_.h + dh); }

  Point centre_{};
};

TEST(DragSteps, DistanceAndDelayTables) {
  struct { int dv, step; } steps[] = {{0, 0}, {1, 0}, {-1, 0}, {2, 1}, {4, 1}, {-4, -1}, {5, 2}, {-40, -2}};
  for (auto s : steps) EXPECT_EQ(DragStepForDistance(s.dv), s.step) << s.dv;
  int delays[] = {25, 22, 19, 16, 13, 10, 7, 4, 1, 0, 0};
  int delay = 25;
  for (int expected : delays) {
    EXPECT_EQ(delay, expected);
    delay = NextDragDelay(delay);
  }
}

TEST_F(ValueDragTest, AMouseHeldStillChangesNothing) {
  EXPECT_EQ(Drag(0, 100, 50, centre_, {Hold(40), Up(centre_)}), 0);
  EXPECT_EQ(gValueField.value, 50);
  EXPECT_TRUE(IsValueFieldActive());  // open for typing until committed
}

TEST_F(ValueDragTest, SmallMovesInsideTheFieldStepByOneWithTheArrowCursor) {
  // The first step comes at once, the next one only after the 25-tick repeat delay.
  EXPECT_EQ(Drag(0, 100, 50, centre_, {Move(Off(-3)), Hold(14), Up(Off(-3))}), 3);
  EXPECT_EQ(gValueField.value, 51);  // up raises
  EXPECT_NE(gValueField.flags & kValueFieldHalves, 0u);
  EXPECT_TRUE(IsCursorVisible());
}

TEST_F(ValueDragTest, LargerMovesStepByDistanceAndLeaveTheArrowMode) {
  int32_t largest = Drag(0, 100, 50, centre_,
                         {Move(Off(-14)), Hold(8),          // outside the field: +2
                          Move(Off(-17)), Hold(8),          // 3 pixels: +1
                          Move(Off(-18)), Hold(8),          // 1 pixel: nothing
                          Move(Off(-13)), Hold(8),          // 5 pixels down: -2
                          Up(Off(-13))});
  EXPECT_EQ(largest, 14);
  EXPECT_EQ(gValueField.value, 51);
  EXPECT_EQ(gValueField.flags & kValueFieldHalves, 0u);
  EXPECT_TRUE(IsCursorVisible());
  CommitValueFieldEdit();
  EXPECT_EQ(gCommitted, 51);  // the change procedure runs at commit
}

TEST_F(ValueDragTest, TheCursorIsWarpedBackToWhereTheDragBegan) {
  ResetWarpMouseLookup();
  RegisterStandardFolder(kFrameworksFolderType, WARP_MOCK_FRAMEWORKS);
  Drag(0, 100, 50, centre_, {Move(Off(-14)), Hold(8), Move(Off(-20)), Hold(8), Up(Off(-20))});
  std::string lib = std::string(WARP_MOCK_FRAMEWORKS) + "/ApplicationServices.framework/ApplicationServices.so";
  void* handle = dlopen(lib.c_str(), RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(handle, nullptr);
  EXPECT_GE(*static_cast<int*>(dlsym(handle, "gWarpCalls")), 3);  // each far step, then the release
  EXPECT_EQ(*static_cast<float*>(dlsym(handle, "gWarpX")), float(centre_.h));
  EXPECT_EQ(*static_cast<float*>(dlsym(handle, "gWarpY")), float(centre_.v));
  dlclose(handle);
  RegisterStandardFolder(kFrameworksFolderType, "");
  ResetWarpMouseLookup();
  EXPECT_TRUE(IsCursorVisible());
}

TEST_F(ValueDragTest, TheValueStaysInItsRange) {
  Drag(0, 100, 99, centre_, {Move(Off(-14)), Hold(8), Move(Off(-20)), Hold(8), Up(Off(-20))});
  EXPECT_EQ(gValueField.value, 100);
  Drag(-5, 5, -4, centre_, {Move(Off(14)), Hold(8), Move(Off(20)), Hold(8), Up(Off(20))});
  EXPECT_EQ(gValueField.value, -5);
}

TEST_F(ValueDragTest, APressOutsideTheFieldChangesNothing) {
  Point outside = Global(At(10, 10));
  EXPECT_EQ(Drag(0, 100, 50, outside, {Move(At(outside.v - 30, outside.h)), Hold(4), Up(outside)}), 0);
  EXPECT_EQ(gValueField.value, 50);
  EXPECT_EQ(gValueField.flags & kValueFieldWarped, 0u);
}

TEST_F(ValueDragTest, AKeyStartedDragEndsOnASidewaysMove) {
  PressAt(centre_);
  RunScript({Move(Off(0, 12)), Hold(30), Up(Off(0, 12))});
  EXPECT_EQ(TrackValueDragLoop(RecordCommit, 0, 100, 50, nullptr, true), 0);
  EXPECT_EQ(gValueField.value, 50);
  EXPECT_GT(StepsLeft(), 0u);  // it did not wait for the release
}

TEST_F(ValueDragTest, ANewDragCommitsTheFieldBeingTyped) {
  gCommitted = -1;
  Drag(0, 100, 50, centre_, {Hold(2), Up(centre_)});
  HandleValueFieldKey('7');
  Drag(0, 100, 20, centre_, {Hold(2), Up(centre_)});
  EXPECT_EQ(gCommitted, 7);
  EXPECT_EQ(gValueField.value, 20);
}

}  // namespace
}  // namespace fields_test
