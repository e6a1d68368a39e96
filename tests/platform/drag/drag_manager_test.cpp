// The screen's drag: items and flavours as given, tracking messages to the windows the pointer
// crosses, and the drop handed to the window under the release, driven by host mouse events.
#include "platform/drag/drag_manager.h"

#include <string>
#include <vector>

#include "tests/platform/windows/windows_test_support.h"

namespace {

using namespace windows_test;

class DragTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ASSERT_EQ(noErr, NewDrag(&drag_));
  }
  void TearDown() override {
    DisposeDrag(drag_);
    RemoveTrackingHandler(RecordTracking, nullptr);
    RemoveReceiveHandler(RecordReceive, nullptr);
    WindowTest::TearDown();
  }

  static OSErr RecordTracking(DragTrackingMessage message, WindowRef window, void* refCon, DragRef drag) {
    auto* self = static_cast<DragTest*>(refCon);
    static const char* kNames[] = {"", "", "enter", "in", "leave"};
    std::string name = window == self->a_ ? "A:" : window == self->b_ ? "B:" : "?:";
    name += kNames[message];
    // Moves inside a window are told once in the log.
    if (self->log_.empty() || self->log_.back() != name) self->log_.push_back(name);
    if (message == kDragTrackingInWindow) GetDragAttributes(drag, &self->attributes_);
    return noErr;
  }
  static OSErr RecordReceive(WindowRef window, void* refCon, DragRef drag) {
    auto* self = static_cast<DragTest*>(refCon);
    self->received_ = window;
    GetDragAttributes(drag, &self->attributes_);
    Point mouse;
    GetDragMouse(drag, &mouse, nullptr);
    self->dropAt_ = mouse;
    return window == self->a_ ? dragNotAcceptedErr : noErr;
  }

  OSErr Track(std::vector<Point> path) {
    PostClickPath(path);
    EventRecord down;
    down.what = mouseDown;
    down.where = path.front();
    return TrackDrag(drag_, &down, nullptr);
  }

  DragRef drag_ = nullptr;
  WindowRef a_ = nullptr, b_ = nullptr;
  std::vector<std::string> log_;
  WindowRef received_ = nullptr;
  DragAttributes attributes_ = 0;
  Point dropAt_{};
};

TEST_F(DragTest, ItemsKeepTheirFlavoursAndRefuseWhatTheyDoNotHold) {
  const char promise[] = "0123456789ABCD";
  ASSERT_EQ(noErr, AddDragItemFlavor(drag_, 7, 'phfs', promise, 14, 0));
  ASSERT_EQ(noErr, AddDragItemFlavor(drag_, 7, 'fssP', nullptr, 0, 0));
  ASSERT_EQ(noErr, AddDragItemFlavor(drag_, 9, 'TEXT', "ab", 2, 0));
  EXPECT_EQ(duplicateFlavorErr, AddDragItemFlavor(drag_, 7, 'phfs', promise, 14, 0));
  UInt16 count = 0;
  ASSERT_EQ(noErr, CountDragItems(drag_, &count));
  EXPECT_EQ(count, 2);
  DragItemRef item = 0;
  ASSERT_EQ(noErr, GetDragItemReferenceNumber(drag_, 2, &item));
  EXPECT_EQ(item, 9u);
  EXPECT_EQ(badDragItemErr, GetDragItemReferenceNumber(drag_, 3, &item));
  ASSERT_EQ(noErr, CountDragItemFlavors(drag_, 7, &count));
  EXPECT_EQ(count, 2);
  FlavorType type = 0;
  ASSERT_EQ(noErr, GetFlavorType(drag_, 7, 2, &type));
  EXPECT_EQ(type, FlavorType('fssP'));
  Size size = 0;
  ASSERT_EQ(noErr, GetFlavorDataSize(drag_, 7, 'fssP', &size));
  EXPECT_EQ(size, 0);
  char part[8] = {};
  size = 4;
  ASSERT_EQ(noErr, GetFlavorData(drag_, 7, 'phfs', part, &size, 10));
  EXPECT_EQ(size, 4);
  EXPECT_EQ(std::string(part, 4), "ABCD");
  size = 4;
  EXPECT_EQ(cantGetFlavorErr, GetFlavorData(drag_, 7, 'phfs', part, &size, 15));
  EXPECT_EQ(badDragFlavorErr, GetFlavorDataSize(drag_, 9, 'phfs', &size));
  EXPECT_EQ(badDragItemErr, GetFlavorDataSize(drag_, 8, 'phfs', &size));
  Rect bounds{10, 20, 30, 40}, back{};
  EXPECT_EQ(badDragItemErr, SetDragItemBounds(drag_, 8, &bounds));
  ASSERT_EQ(noErr, SetDragItemBounds(drag_, 9, &bounds));
  ASSERT_EQ(noErr, GetDragItemBounds(drag_, 9, &back));
  EXPECT_TRUE(back == bounds);
  DragRef gone = nullptr;
  ASSERT_EQ(noErr, NewDrag(&gone));
  ASSERT_EQ(noErr, DisposeDrag(gone));
  EXPECT_EQ(badDragRefErr, CountDragItems(gone, &count));
}

TEST_F(DragTest, TheWindowsCrossedAreToldAndTheOneUnderTheReleaseTakesTheDrop) {
  a_ = NewDocument(Rect{100, 100, 300, 400});
  b_ = NewDocument(Rect{100, 500, 300, 800});
  ShowWindow(a_);
  ShowWindow(b_);
  ASSERT_EQ(noErr, InstallTrackingHandler(RecordTracking, nullptr, this));
  ASSERT_EQ(duplicateHandlerErr, InstallTrackingHandler(RecordTracking, nullptr, this));
  ASSERT_EQ(noErr, InstallReceiveHandler(RecordReceive, nullptr, this));
  EXPECT_EQ(noErr, Track({{150, 200}, {160, 250}, {180, 450}, {200, 600}, {210, 620}}));
  EXPECT_EQ(log_, (std::vector<std::string>{"A:enter", "A:in", "A:leave", "B:enter", "B:in", "B:leave"}));
  EXPECT_EQ(received_, b_);
  EXPECT_EQ(dropAt_.h, 620);
  EXPECT_EQ(dropAt_.v, 210);
  EXPECT_TRUE(attributes_ & kDragHasLeftSenderWindow);
  EXPECT_FALSE(attributes_ & kDragInsideSenderWindow);
  // Released between the windows: nobody takes it; in A the handler's refusal stands.
  log_.clear();
  received_ = nullptr;
  EXPECT_EQ(dragNotAcceptedErr, Track({{150, 200}, {180, 450}}));
  EXPECT_EQ(received_, nullptr);
  EXPECT_EQ(dragNotAcceptedErr, Track({{150, 200}, {170, 260}}));
  EXPECT_EQ(received_, a_);
  EXPECT_TRUE(attributes_ & kDragInsideSenderWindow);
}

TEST_F(DragTest, EscapeCancelsTheDrag) {
  a_ = NewDocument(Rect{100, 100, 300, 400});
  ShowWindow(a_);
  ASSERT_EQ(noErr, InstallReceiveHandler(RecordReceive, nullptr, this));
  PostMouse(kEventMouseDown, 200, 150);
  PostMouse(kEventMouseMoved, 220, 160);
  ASSERT_EQ(noErr, PostHostKeyEvent(kEventRawKeyDown, 53, 0, -1));
  EventRecord down;
  down.where = Point{150, 200};
  EXPECT_EQ(userCanceledErr, TrackDrag(drag_, &down, nullptr));
  EXPECT_EQ(received_, nullptr);
  PostMouse(kEventMouseUp, 220, 160);
}

}  // namespace
