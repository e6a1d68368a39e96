#include "shell/app/command_events.h"

#include "performance/keyboard_capture.h"
#include "platform/menus/menus.h"
#include "plugins/plugin_host_commands.h"
#include "shell/app/app_entry.h"
#include "shell/dialogs/dialog_toolkit.h"
#include "shell/dialogs/value_fields.h"
#include "shell/menus/menu_bar.h"
#include "shell/menus/menu_dispatch.h"
#include "shell/menus/menu_state.h"
#include "shell/settings/about_window.h"
#include "shell/settings/preferences_dialog.h"
#include "shell/windows/app_windows.h"

int16_t gCommandAlertPending = 0;
int16_t gCommandAlertAnswer = 0;

namespace {

constexpr OSStatus kNotHandled = -9874;

void QuitCommand() {
  gQuitFlag = 0;
  if (DispatchMenuCommand(kFileMenuId, kFileQuitItem) != noErr) gQuitFlag = 1;
}

// Interim: the global edit dialog belongs to the editing operations, not built yet; the
// nested call keeps the running dialog's state as the real one will.
void RunGlobalEditDialog(void*) {}

void GlobalEditCommand() {
  WindowRef front = GetFrontDocWindow();
  if (front && (FindAppWindow(front) || FindPluginWindowRecord(front) != 0))
    RunNestedDialogCall(RunGlobalEditDialog, nullptr);
}

// The program's own command ids; false for any other.
bool HandleProgramCommand(UInt32 id) {
  switch (id) {
    case kHICommandQuit: QuitCommand(); return true;
    case kHICommandPreferences: RunPreferencesDialog(); return true;
    case kHICommandAbout: RunSplashWindowLoop(); return true;
    case FourCC("GltD"): GlobalEditCommand(); return true;
    case FourCC("PISD"): SetKeyboardCapture(true); return true;
    case FourCC("PISC"): SetKeyboardCapture(false); return true;
    // Interim: the open-document queue (the editors), the mixer's insert selection, the new
    // marker dialog and the jukebox are not built yet; their commands are taken and do
    // nothing.
    case FourCC("OpFi"):
    case FourCC("MxIP"):
    case FourCC("NewM"):
    case FourCC("HjbP"): return true;
    default: return false;
  }
}

bool HandleAlertAnswerCommand(UInt32 id) {
  if (gCommandAlertPending == 0 || (id != kHICommandOK && id != kHICommandCancel)) return false;
  if (id == kHICommandCancel) gCommandAlertAnswer = -1;
  return true;
}

}  // namespace

OSStatus HandleCommandEvent(EventRef event) {
  if (IsValueFieldActive()) return kNotHandled;
  HICommand command;
  if (GetEventParameter(event, kEventParamDirectObject, typeHICommand, nullptr, sizeof command, nullptr,
                        &command) != noErr)
    return kNotHandled;
  if (HandleProgramCommand(command.commandID) || HandleAlertAnswerCommand(command.commandID)) return noErr;
  MenuRef menu = command.menu.menuRef;
  if (!(command.attributes & kHICommandFromMenu) || !menu) return kNotHandled;
  MenuID id = GetMenuID(menu);
  if (id == 0 || id == kTempMenuId) return kNotHandled;
  UpdateMenuState();
  return DispatchMenuCommand(id, int16_t(command.menu.menuItemIndex));
}

OSStatus PostCommandEvent(UInt32 commandId) {
  HICommandExtended command;
  command.commandID = commandId;
  EventRef event = nullptr;
  OSStatus err = CreateCommandEvent(kEventCommandProcess, &command, &event);
  if (err != noErr) return err;
  err = PostEventToQueue(GetMainEventQueue(), event, kEventPriorityStandard);
  ReleaseEvent(event);
  return err;
}
