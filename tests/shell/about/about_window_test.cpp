// The about window: the start-up splash, and the About command's loop with its links, driven
// by posted input against the program's own resources.
#include <functional>
#include <string>
#include <vector>

#include "platform/dialogs/dialogs.h"
#include "platform/windows/windows.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/base/app_state.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/menus/dialog_menu_commands.h"
#include "shell/menus/menu_bar.h"
#include "shell/menus/menu_dispatch.h"
#include "shell/settings/about_window.h"
#include "shell/windows/context_help.h"
#include "tests/platform/controls/ui_test_support.h"
#include "tests/shell/app/app_fixture.h"

namespace app_test {
namespace {

std::vector<std::string> gOpened;

OSStatus CaptureOpen(const char* target) {
  gOpened.push_back(target);
  return noErr;
}

bool SplashVisible() { return gSplashWindow && IsWindowVisible(GetDialogWindow(gSplashWindow->dialog)); }

Rect ItemRect(int16_t item) {
  DialogItemType type = 0;
  DialogItemHandle handle = nullptr;
  Rect r{};
  GetDialogItem(gSplashWindow->dialog, item, &type, &handle, &r);
  return r;
}

Point ItemCentre(int16_t item) { return ui_test::Global(GetDialogWindow(gSplashWindow->dialog), ui_test::Center(ItemRect(item))); }

TEST_F(AppTest, SplashIsUpDuringStartUpAndHiddenAfter) {
  static bool seen = false;
  seen = false;
  EventLoopTimerRef watch = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0, 0.0005, [](EventLoopTimerRef, void*) { seen = seen || SplashVisible(); },
                        nullptr, &watch);
  StartUpApplication(40);
  RemoveEventLoopTimer(watch);
  EXPECT_TRUE(seen);
  ASSERT_NE(gSplashWindow, nullptr);
  EXPECT_FALSE(SplashVisible());
  // The late item starts out of sight.
  EXPECT_GE(ItemRect(kAboutLateItem).left, kItemOutOfSight);
  QuitApplication(0);
}

class AboutWindowTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartUpApplication(40);
    SetHelpOpenProc(CaptureOpen);
    gOpened.clear();
  }
  void TearDown() override {
    SetHelpOpenProc(nullptr);
    SetManualEventClock(false, 0);
    QuitApplication(0);
    AppTest::TearDown();
  }
  // Chooses About; step runs from a timer while the loop is up, until it answers true (it
  // has posted the input that ends the loop). A loop still up after the limit is closed.
  bool RunAbout(std::function<bool()> step, EventTime limit = 20) {
    static std::function<bool()> pending;
    static bool timedOut = false;
    pending = std::move(step);
    timedOut = false;
    EventLoopTimerRef driver = nullptr, guard = nullptr;
    InstallEventLoopTimer(GetMainEventLoop(), 0.01, 0.01,
                          [](EventLoopTimerRef, void*) {
                            if (!pending || !SplashVisible() || !(gAppState[4] & kAppWord4AboutLoop)) return;
                            if (GetNumEventsInQueue(GetMainEventQueue()) != 0) return;
                            if (pending()) pending = nullptr;
                          },
                          nullptr, &driver);
    InstallEventLoopTimer(GetMainEventLoop(), limit, 0,
                          [](EventLoopTimerRef, void*) {
                            timedOut = true;
                            CloseSplashWindow();
                          },
                          nullptr, &guard);
    DispatchMenuCommand(kAppMenuId, kAppAboutItem);
    RemoveEventLoopTimer(driver);
    RemoveEventLoopTimer(guard);
    pending = nullptr;
    return !timedOut;
  }
};

struct LinkCase {
  const char* name;
  std::function<void()> input;
  std::vector<int16_t> opened;  // link items whose addresses open, in order
};

TEST_F(AboutWindowTest, OnlyAClickInALinkOpensIt) {
  const std::vector<LinkCase> cases = {
      {"a click outside the links", [] { ui_test::PostClick(ItemCentre(2)); }, {}},
      {"a click in the second link", [] { ui_test::PostClick(ItemCentre(6)); }, {6}},
      {"a key with the pointer over a link",
       [] {
         ui_test::PostMouse(kEventMouseMoved, ItemCentre(5));
         ui_test::PostKey(kVK_ANSI_A, 'a');
       },
       {}},
      {"an Option-click anywhere", [] { ui_test::PostClick(ItemCentre(2), optionKey); }, {5, 6, 7}},
  };
  for (const LinkCase& c : cases) {
    SCOPED_TRACE(c.name);
    gOpened.clear();
    std::function<void()> input = c.input;
    ASSERT_TRUE(RunAbout([input] {
      input();
      return true;
    }));
    EXPECT_FALSE(SplashVisible());
    EXPECT_EQ(0, gAppState[4] & kAppWord4AboutLoop);
    std::vector<std::string> expected;
    for (int16_t item : c.opened) expected.push_back(AboutLinkAddress(item));
    EXPECT_EQ(gOpened, expected);
  }
  // Three distinct web addresses.
  EXPECT_EQ(0u, AboutLinkAddress(5).rfind("https://", 0));
  EXPECT_NE(AboutLinkAddress(5), AboutLinkAddress(6));
  EXPECT_NE(AboutLinkAddress(6), AboutLinkAddress(7));
  EXPECT_EQ("", AboutLinkAddress(4));
}

TEST_F(AboutWindowTest, NothingWhileAModalDialogRuns) {
  gDialogBusy = 1;
  DispatchMenuCommand(kAppMenuId, kAppAboutItem);
  gDialogBusy = 0;
  EXPECT_FALSE(SplashVisible());
  EXPECT_TRUE(gOpened.empty());
}

TEST_F(AboutWindowTest, LateItemComesIntoSightAfterHalfAMinuteWhenAsked) {
  gAppState[1] |= kAppWord1AboutLateItem;
  SetManualEventClock(true, GetCurrentEventTime());
  static EventTime shownAt = 0;
  shownAt = 0;
  const EventTime start = GetCurrentEventTime();
  ASSERT_TRUE(RunAbout(
      [] {
        if (ItemRect(kAboutLateItem).left >= kItemOutOfSight) return false;
        shownAt = GetCurrentEventTime();
        ui_test::PostKey(kVK_Escape, kEscapeCharCode);
        return true;
      },
      120));
  EXPECT_GE(shownAt - start, 29.9);
  EXPECT_LT(shownAt - start, 31.0);
  EXPECT_GE(ItemRect(kAboutLateItem).left, kItemOutOfSight);  // out of sight again
}

}  // namespace
}  // namespace app_test
