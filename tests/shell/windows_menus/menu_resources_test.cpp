// Menus built from string lists, windows made from nibs, the list windows' scroll ranges,
// and text drawn in either of the program's text modes.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/controls/controls.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/windows/windows.h"
#include "shell/drawing/text_drawing.h"
#include "shell/menus/menu_bar.h"
#include "shell/menus/menu_items.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/menu_building.h"
#include "shell/windows/window_scroll_bars.h"
#include "tests/platform/quickdraw/qd_test_support.h"
#include "tests/platform/windows/windows_test_support.h"
#include "tests/shell/files_errors/resource_fixture.h"

namespace {

using windows_test::PStr;

std::string Text(MenuRef menu, int16_t item) {
  Str255 text;
  GetMenuItemText(menu, MenuItemIndex(item), text);
  return std::string(reinterpret_cast<char*>(text + 1), text[0]);
}

class MenuResources : public ResourceFixture {
 protected:
  void TearDown() override {
    DisposeTempMenu();
    DisposeAllAppWindows();
    ResourceFixture::TearDown();
  }
  void AddNamed(ResType type, int16_t id, const char* name, const std::string& bytes) {
    UseResFile(refNum_);
    Handle h = NewHandle(Size(bytes.size()));
    std::memcpy(*h, bytes.data(), bytes.size());
    AddResource(h, type, id, PStr(name));
    ASSERT_EQ(noErr, ResError());
  }
};

TEST_F(MenuResources, AMenuFromAStringListSkipsTheTitleAndFollowsTheMask) {
  AddStrList(400, {"title", "Copy", "Paste(", "Delete/x"});
  MenuRef menu = BuildMenuFromStrList(nullptr, 400, 0x2 | 0x8);  // items 1 and 3
  ASSERT_NE(nullptr, menu);
  EXPECT_EQ(menu, GetMenuHandle(kTempMenuId));
  ASSERT_EQ(3, CountMenuItems(menu));
  EXPECT_EQ("Copy", Text(menu, 1));
  EXPECT_EQ("Paste(", Text(menu, 2));
  EXPECT_EQ("Delete/x", Text(menu, 3));
  EXPECT_TRUE(IsMenuItemEnabled(menu, 1));
  EXPECT_FALSE(IsMenuItemEnabled(menu, 2));
  EXPECT_TRUE(IsMenuItemEnabled(menu, 3));
  DisposeTempMenu();
  EXPECT_EQ(nullptr, GetMenuHandle(kTempMenuId));

  MenuRef empty = BuildMenuFromStrList(nullptr, 401, 0);  // no such list: an empty menu
  ASSERT_NE(nullptr, empty);
  EXPECT_EQ(0, CountMenuItems(empty));
}

OSStatus CountCloses(EventHandlerCallRef, EventRef event, void* refcon) {
  if (GetEventClass(event) == kEventClassWindow && GetEventKind(event) == kEventWindowClose)
    ++static_cast<AppWindow*>(refcon)->zoomed;  // the record comes as the handler's refcon
  return noErr;
}

TEST_F(MenuResources, NibWindowsAreListedOrLeaveTheirRecordEmpty) {
  AddNamed(FourCC("NIBT"), 600, "notepad",
           "window \"MainWindow\" {\n  class document\n  frame 100 100 300 200\n  title \"Notes\"\n}\n");
  AppWindow record;
  AppWindow* slot = nullptr;
  EXPECT_NE(noErr, CreateNibAppWindow("notepad", &slot, &record, CountCloses, kNotepadKind));  // no window "notepad"
  EXPECT_EQ(&record, slot);
  EXPECT_EQ(nullptr, record.window);
  EXPECT_NE(noErr, CreateNibAppWindow("missing", &slot, &record, CountCloses, kNotepadKind));

  ASSERT_EQ(noErr, CreateNibAppWindow("notepad", &slot, &record, CountCloses, kNotepadKind, "MainWindow"));
  ASSERT_NE(nullptr, record.window);
  EXPECT_EQ(kNotepadKind, record.kind);
  EXPECT_EQ(&record, FindAppWindow(record.window));
  EventRef close = nullptr;
  ASSERT_EQ(noErr, CreateEvent(nullptr, kEventClassWindow, kEventWindowClose, 0, 0, &close));
  WindowRef window = record.window;
  SetEventParameter(close, kEventParamDirectObject, typeWindowRef, sizeof window, &window);
  EXPECT_EQ(noErr, SendEventToEventTarget(close, GetWindowEventTarget(window)));
  ReleaseEvent(close);
  EXPECT_EQ(1, record.zoomed);
  EXPECT_TRUE(IsValidWindowPtr(window)) << "the handler answered: the window stays";
  DisposeAllAppWindows();  // the record lives on this stack: take it off the window list
}

TEST(ListScrolling, LongListsScrollInScaledSteps) {
  struct Case { int32_t range; int32_t scale; };
  const Case cases[] = {{0, 1}, {32767, 1}, {32768, 2}, {65534, 2}, {65535, 3}, {1000000, 31}};
  for (const Case& c : cases) EXPECT_EQ(c.scale, ScrollRangeScale(c.range)) << c.range;

  WindowRef window = nullptr;
  Rect bounds{100, 100, 300, 300};
  ASSERT_EQ(noErr, CreateNewWindow(kDocumentWindowClass, 0, &bounds, &window));
  Rect r{0, 0, 100, 16};
  ControlRef bar = NewControl(window, &r, PStr(""), true, 0, 0, 10, scrollBarProc, 0);
  EXPECT_EQ(4, SetEventListScrollRange(bar, 100020, 20));
  EXPECT_EQ(25000, GetControlMaximum(bar));
  EXPECT_EQ(1, SetEventListScrollRange(bar, 10, 20));
  EXPECT_EQ(0, GetControlMaximum(bar));
  SetListScrollRange(bar, 50, 12);
  EXPECT_EQ(38, GetControlMaximum(bar));
  EXPECT_EQ(12, GetControlViewSize(bar));
  DisposeWindow(window);
}

TEST(TextModes, BothTextModesMoveThePenByTheMeasuredWidth) {
  qd_test::ScopedGWorld world(Rect{0, 0, 60, 300});
  for (uint16_t prefs : {uint16_t(0), kDrawPrefsClassicText}) {
    gDrawPrefs = prefs;
    EraseRect(&world.get()->portRect);
    MoveTo(10, 40);
    DrawPString(PStr("Tempo 120"));
    Point pen;
    GetPenLocation(&pen);
    int16_t width = MeasurePString(PStr("Tempo 120"));
    EXPECT_GT(width, 20) << prefs;
    EXPECT_EQ(10 + width, pen.h) << prefs;
    EXPECT_EQ(40, pen.v) << prefs;
    EXPECT_GT(qd_test::CountPixels(Rect{0, 0, 60, 300}, [](uint32_t p) { return p != qd_test::kWhite; }), 20) << prefs;
    FontInfo info;
    EXPECT_EQ(info.ascent + info.descent + info.leading, GetLineMetrics(&info)) << prefs;
    EXPECT_GT(info.ascent, 0) << prefs;
  }
  gDrawPrefs = 0;
  MoveTo(5, 5);
  DrawPString(PStr(""));
  Point pen;
  GetPenLocation(&pen);
  EXPECT_EQ(5, pen.h);
}

}  // namespace
