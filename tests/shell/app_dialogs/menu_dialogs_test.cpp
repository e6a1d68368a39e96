// The menu items that open the shell's dialogs reach them, with the program's own menus and
// resources; each dialog is answered with Cancel.
#include <string>

#include "platform/dialogs/dialogs.h"
#include "platform/menus/menus.h"
#include "platform/windows/windows.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog.h"
#include "shell/dialogs/nib_dialog_views.h"
#include "shell/menus/dialog_menu_commands.h"
#include "shell/menus/menu_bar.h"
#include "shell/menus/menu_dispatch.h"
#include "tests/platform/controls/ui_test_support.h"
#include "tests/shell/app/app_fixture.h"

namespace app_test {
namespace {

constexpr int16_t kCancel = 2;
std::string gSeenTitle;

// Once a dialog is up: note its title and click its Cancel button.
void CancelFrontDialog(EventLoopTimerRef, void*) {
  if (!gSeenTitle.empty() || GetNumEventsInQueue(GetMainEventQueue()) != 0) return;
  WindowRef front = FrontNonFloatingWindow();
  if (!front || !IsWindowVisible(front)) return;
  ControlRef cancel = nullptr;
  if (gCurrentNibDialog && gCurrentNibDialog->window == front) {
    if (FindDialogView(front, kCancel, &cancel) != noErr) return;
  } else if (DialogRef dialog = GetDialogFromWindow(front); dialog && dialog == gCurrentDialog) {
    if (GetDialogItemAsControl(dialog, kCancel, &cancel) != noErr) return;
  } else {
    return;
  }
  Str255 title;
  GetWTitle(front, title);
  gSeenTitle = ui_test::FromPString(title);
  ui_test::PostClick(ui_test::Global(front, ui_test::ControlCenter(cancel)));
}

struct MenuDialogCase {
  const char* name;
  int16_t menu;
  int16_t item;
  const char* title;
};

TEST_F(AppTest, MenuItemsOpenTheirDialogs) {
  StartUpApplication(40);
  MenuCommand command = 0;
  GetMenuItemCommandID(GetMenuHandle(kAppMenuId), kAppPreferencesItem, &command);
  EXPECT_EQ(command, kHICommandPreferences);  // the command path reaches the same dialog
  const MenuDialogCase cases[] = {
      {"chase options", kOptionsMenuId, kOptionsChaseItem, "Chase Options"},
      {"tempo", kTransformMenuId, kTransformTempoItem, "Tempo"},
      {"time and key signature", kTransformMenuId, kTransformSignatureItem, "Time and Key Signature"},
      {"preferences", kAppMenuId, kAppPreferencesItem, "Preferences"},
  };
  for (const MenuDialogCase& c : cases) {
    SCOPED_TRACE(c.name);
    gSeenTitle.clear();
    EventLoopTimerRef driver = nullptr;
    InstallEventLoopTimer(GetMainEventLoop(), 0.01, 0.01, CancelFrontDialog, nullptr, &driver);
    ui_test::ModalGuard guard;
    EXPECT_EQ(noErr, DispatchMenuCommand(c.menu, c.item));
    RemoveEventLoopTimer(driver);
    EXPECT_EQ(gSeenTitle, c.title);
    EXPECT_EQ(0u, gDialogBusy);
  }
  QuitApplication(0);
}

}  // namespace
}  // namespace app_test
