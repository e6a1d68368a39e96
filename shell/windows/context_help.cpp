#include "shell/windows/context_help.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/events/classic_events.h"
#include "platform/files/folders.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/menus/menus.h"
#include "platform/resources/resource_manager.h"
#include "platform/windows/windows.h"
#include "shell/base/error_report.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/menu_ids.h"

extern char** environ;

uint16_t gHelpPrefs = 0;

namespace {

constexpr uint8_t kHelpBytes[kJukeboxKind + 1] = {0,  0,  3,  14, 5,  4, 8, 6,  7,  16, 19, 9,
                                                  20, 21, 22, 11, 12, 0, 1, 17, 18, 23, 24};
constexpr char kHelpPageBase[] = "https://www.zarin-music.example/support/index.php?page=help";
constexpr int16_t kHelpToggleItem = 4;
constexpr int16_t kLocalManualItem = 5;
constexpr int32_t kManualTopic = 2;

HelpOpenProc gHelpOpen = OpenWithDesktop;

// The desktop openers started here, reaped once they end; no other child of the program is
// touched (others wait for their own).
constexpr int kMaxOpeners = 16;
pid_t gOpeners[kMaxOpeners] = {};

void ReapOpeners() {
  for (pid_t& pid : gOpeners)
    if (pid > 0 && waitpid(pid, nullptr, WNOHANG) != 0) pid = 0;
}

void RememberOpener(pid_t started) {
  for (pid_t& pid : gOpeners)
    if (pid == 0) {
      pid = started;
      return;
    }
}

int32_t TopicOfItem(int16_t item) {
  MenuRef help = GetMenuHandle(kHelpMenuId);
  if (!help) return 0;
  Str255 text;
  GetMenuItemText(help, MenuItemIndex(item), text);
  Handle res = GetNamedResource(FourCC("MhmI"), text);
  if (!res || GetHandleSize(res) < 8) return 0;
  return ReadI32BE(*res + 4);
}

OSStatus HandleHelpPrefsItem(int16_t item, uint16_t* prefs) {
  *prefs ^= item == kHelpToggleItem ? kHelpPrefToggle : kHelpPrefLocalManual;
  ShowHelpPrefMarks(*prefs);
  return noErr;
}

}  // namespace

void ShowHelpPrefMarks(uint16_t prefs) {
  if (MenuRef help = GetMenuHandle(kHelpMenuId)) {
    CheckMenuItem(help, kHelpToggleItem, prefs & kHelpPrefToggle);
    CheckMenuItem(help, kLocalManualItem, prefs & kHelpPrefLocalManual);
  }
}

void SetHelpOpenProc(HelpOpenProc proc) { gHelpOpen = proc ? proc : OpenWithDesktop; }

OSStatus OpenWithHelpOpener(const char* target) { return gHelpOpen(target); }

OSStatus OpenWithDesktop(const char* target) {
  ReapOpeners();
  char program[] = "xdg-open";
  char* argv[] = {program, const_cast<char*>(target), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0) return -43;
  RememberOpener(pid);
  return noErr;
}

int32_t GetKindHelpTopic(int16_t kind) {
  if (kind < 0 || kind > kJukeboxKind || kHelpBytes[kind] == 0) return 0;
  return 5000 + kHelpBytes[kind];
}

int32_t GetContextHelpTopic() {
  WindowRef keyboard = GetAppWindowRef(GetWindowForKind(kKeyboardWindowKind));
  if (keyboard && FrontWindow() == keyboard) return kKeyboardHelpTopic;
  return GetKindHelpTopic(GetAppWindowKind(GetFrontAppWindow()));
}

void ShowContextHelp() {
  int32_t topic = GetContextHelpTopic();
  if (topic != 0) OpenHelpTopic(topic);
}

std::string LocalHelpPath(int32_t topic) {
  std::string manual = GetApplicationFolder() + "/Manual/";
  if (topic == kManualTopic) return manual + "ZarinManual.html";
  return manual + "Manual/Help" + std::to_string(topic) + ".shtml";
}

std::string HelpPageAddress(int32_t topic) {
  std::string address = kHelpPageBase;
  if (topic != 0) address += std::to_string(topic);
  return address;
}

OSStatus HandleHelpMenu(int16_t item, int32_t topic, uint16_t* helpPrefs) {
  if (item > 0 && GetMenuHandle(kHelpMenuId)) {
    if (helpPrefs && (item == kHelpToggleItem || item == kLocalManualItem)) return HandleHelpPrefsItem(item, helpPrefs);
    topic = TopicOfItem(item);
  }
  uint16_t prefs = helpPrefs ? *helpPrefs : gHelpPrefs;
  bool local = (prefs & kHelpPrefLocalManual) || (GetCurrentKeyModifiers() & optionKey);
  if (topic != 0 && local) {
    std::string path = LocalHelpPath(topic);
    OSStatus err = access(path.c_str(), R_OK) == 0 ? gHelpOpen(path.c_str()) : OSStatus(-43);
    if (err != noErr) ReportError(err);
    return noErr;
  }
  gHelpOpen(HelpPageAddress(topic).c_str());
  return noErr;
}

OSStatus OpenHelpTopic(int32_t topic) { return HandleHelpMenu(0, topic, nullptr); }
