#include "plugins/plugin_host_commands.h"

#include <algorithm>

uint16_t gReWireState = 0;
uint8_t gReWireAvailable = 0;
int16_t gReWireCurrentDevice = -1;

namespace {

WindowRef gEditorWindows[kMaxPluginEditorWindows] = {};
uint8_t gEditorViewActive[kMaxPluginEditorWindows] = {};
int32_t gEditorWindowCount = 0;

void RemoveAt(int32_t index) {
  std::copy(gEditorWindows + index + 1, gEditorWindows + gEditorWindowCount, gEditorWindows + index);
  std::copy(gEditorViewActive + index + 1, gEditorViewActive + gEditorWindowCount, gEditorViewActive + index);
  --gEditorWindowCount;
  gEditorWindows[gEditorWindowCount] = nullptr;
  gEditorViewActive[gEditorWindowCount] = 0;
}

void DropDisposedWindows() {
  for (int32_t i = gEditorWindowCount - 1; i >= 0; --i)
    if (!IsValidWindowPtr(gEditorWindows[i])) RemoveAt(i);
}

}  // namespace

int16_t RegisterPluginEditorWindow(WindowRef window) {
  if (!window) return -1;
  int16_t known = GetPluginEditorWindowIndex(window);
  if (known >= 0) return known;
  if (gEditorWindowCount >= kMaxPluginEditorWindows) return -1;
  gEditorWindows[gEditorWindowCount] = window;
  gEditorViewActive[gEditorWindowCount] = 0;
  return int16_t(gEditorWindowCount++);
}

void ForgetPluginEditorWindow(WindowRef window) {
  for (int32_t i = 0; i < gEditorWindowCount; ++i)
    if (gEditorWindows[i] == window) {
      RemoveAt(i);
      return;
    }
}

void ForgetAllPluginEditorWindows() {
  std::fill(gEditorWindows, gEditorWindows + kMaxPluginEditorWindows, nullptr);
  std::fill(gEditorViewActive, gEditorViewActive + kMaxPluginEditorWindows, uint8_t(0));
  gEditorWindowCount = 0;
}

int32_t CountPluginEditorWindows() {
  DropDisposedWindows();
  return gEditorWindowCount;
}

WindowRef GetPluginEditorWindow(int16_t index) {
  DropDisposedWindows();
  return (index >= 0 && index < gEditorWindowCount) ? gEditorWindows[index] : nullptr;
}

int16_t GetPluginEditorWindowIndex(WindowRef window) {
  if (!window) return -1;
  DropDisposedWindows();
  for (int32_t i = 0; i < gEditorWindowCount; ++i)
    if (gEditorWindows[i] == window) return int16_t(i);
  return -1;
}

uint32_t FindPluginWindowRecord(WindowRef window) {
  int16_t index = GetPluginEditorWindowIndex(window);
  return index < 0 ? 0 : uint32_t(index) + 1;
}

bool SetPluginWindowViewActive(uint32_t record, bool active) {
  if (record == 0 || int32_t(record) > gEditorWindowCount) return false;
  gEditorViewActive[record - 1] = active ? 1 : 0;
  return true;
}

bool IsPluginWindowViewActive(uint32_t record) {
  return record != 0 && int32_t(record) <= gEditorWindowCount && gEditorViewActive[record - 1] != 0;
}

OSStatus HandlePluginWindowMenuItem(int16_t item) {
  WindowRef window = GetPluginEditorWindow(int16_t(item - kFirstPluginWindowItem));
  if (!window) return noErr;
  ShowWindow(window);
  SelectWindow(window);
  return noErr;
}

void UpdatePluginWindowMenu(MenuRef windowMenu, int16_t baseItems) {
  if (!windowMenu) return;
  uint16_t count = CountMenuItems(windowMenu);
  if (count > uint16_t(baseItems)) DeleteMenuItems(windowMenu, MenuItemIndex(baseItems + 1), count - uint16_t(baseItems));
  int32_t windows = CountPluginEditorWindows();
  if (windows == 0) return;
  static const unsigned char kFiller[] = {1, '-'};
  while (CountMenuItems(windowMenu) < uint16_t(kPluginWindowSeparatorItem)) AppendMenu(windowMenu, kFiller);
  for (int32_t i = 0; i < windows; ++i) {
    Str255 title;
    GetWTitle(gEditorWindows[i], title);
    if (title[0] == 0) {
      title[0] = 1;
      title[1] = ' ';
    }
    AppendMenuItemTextLiteral(windowMenu, title);
  }
}

int32_t RunPluginOnSelectedTracks() { return 0; }

void RunReWireCommand(int16_t) {}
