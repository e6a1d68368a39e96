#include "shell/dialogs/progress_dialog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/controls/controls.h"
#include "platform/menus/menus.h"
#include "platform/resources/resource_manager.h"
#include "platform/text/pascal_strings.h"
#include "platform/windows/windows.h"
#include "shell/base/app_state.h"
#include "shell/base/app_strings.h"
#include "shell/base/progress_hooks.h"
#include "shell/dialogs/dialog_controls.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/poll_events.h"
#include "shell/windows/menu_ids.h"

ProgressState gProgress;

namespace {

constexpr EventMask kProgressEventMask = 0xFF47;
constexpr EventMask kNoUpdates = 0xFF07;
constexpr EventMask kHighLevelBit = 0x0400;
constexpr uint32_t kEstimateInterval = 30;
constexpr uint32_t kIndeterminateTextInterval = 3;
constexpr double kFirstEstimateSeconds = 0.5;
constexpr int16_t kFileNameFontSize = 9;
constexpr int16_t kLastMessageIndex = 39;

const MenuID kMainMenus[] = {kAppMenuId,  kFileMenuId,    kEditMenuId,    kTransformMenuId,
                             kViewMenuId, kWindowMenuId,  kToolsMenuId,   kOptionsMenuId,   kHelpMenuId};
const MenuCommand kAppCommands[] = {kHICommandPreferences, kHICommandAbout, kHICommandQuit};

int64_t Join(int32_t high, uint32_t low) { return int64_t((uint64_t(uint32_t(high)) << 32) | low); }

bool IsIndeterminate() { return gProgress.end == int64_t(gProgress.start); }

ControlRef ItemControl(int16_t item) {
  ControlRef control = nullptr;
  if (!gProgress.dialog || GetDialogItemAsControl(gProgress.dialog, item, &control) != noErr) return nullptr;
  return control;
}

void SetItemText(int16_t item, ConstStr255Param text) {
  if (!gProgress.dialog) return;
  DialogItemType type = 0;
  DialogItemHandle handle = nullptr;
  Rect r{};
  GetDialogItem(gProgress.dialog, item, &type, &handle, &r);
  if (handle) SetDialogItemText(handle, text);
}

void DrawBar() {
  ControlRef bar = ItemControl(kProgressBarItem);
  if (!bar || IsIndeterminate()) return;
  int16_t value = ComputeProgressBarValue(gProgress.current, gProgress.start, gProgress.end);
  gProgress.barValue = value;
  SetControlValue(bar, value);
  Draw1Control(bar);
}

EventMask ServedEvents() {
  EventMask mask = kProgressEventMask;
  if (gAppState[1] & kAppWord1DrawingSuppressed) mask = kNoUpdates;
  if (gAppState[4] & kAppWord4HighLevelEvents) mask |= kHighLevelBit;
  else mask &= EventMask(~kHighLevelBit);
  return mask;
}

void UpdateTimeEstimate(int64_t value) {
  gProgress.current = value;
  if (IsIndeterminate()) return;
  uint32_t now = EventTicksNow();
  if (gProgress.startTime == 0) gProgress.startTime = double(now);
  if (now - gProgress.lastEstimateTick < kEstimateInterval) return;
  gProgress.lastEstimateTick = now;
  double elapsed = (double(now) - gProgress.startTime) / 60.0;
  double fraction = double(value - gProgress.start) / double(gProgress.end - gProgress.start);
  if (!gProgress.dialog || elapsed <= kFirstEstimateSeconds || fraction <= 0) return;
  FormatRemainingTime(elapsed / fraction - elapsed, gProgress.timeText);
  SetItemText(kProgressTimeItem, gProgress.timeText);
}

void ShowMessage(int16_t message) {
  if (message == 0) return;
  Str255 text;
  PLstrcpy(text, GetProgressMessage(message));
  if (gProgress.hasFileName) {
    if (ControlRef control = ItemControl(kProgressMessageItem)) {
      ControlFontStyleRec style;
      style.flags = kControlUseSizeMask;
      style.size = kFileNameFontSize;
      SetControlFontStyle(control, &style);
    }
    AppendPString(text, reinterpret_cast<const unsigned char*>("\x02: "));
    AppendPString(text, gProgress.fileName);
  }
  SetItemText(kProgressMessageItem, text);
}

}  // namespace

int16_t ComputeProgressBarValue(int64_t current, int64_t start, int64_t end) {
  if (end == start) return 0;
  float value = float(current - start) * 32767.0f / float(end - start);
  return int16_t(std::clamp(value, 0.0f, float(kProgressBarMaximum)));
}

void FormatRemainingTime(double seconds, unsigned char* text) {
  long total = seconds < 0 ? 0 : seconds > 359999 ? 359999 : long(seconds + 0.5);
  char buffer[32];
  if (total < 60)
    std::snprintf(buffer, sizeof buffer, "%ld s", total);
  else if (total < 3600)
    std::snprintf(buffer, sizeof buffer, "%ld:%02ld", total / 60, total % 60);
  else
    std::snprintf(buffer, sizeof buffer, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
  CopyCStringToPascal(buffer, text);
}

void EnableAppMenus(bool enable) {
  for (MenuID id : kMainMenus) {
    MenuRef menu = GetMenuHandle(id);
    if (!menu) continue;
    if (enable) EnableMenuItem(menu, 0);
    else DisableMenuItem(menu, 0);
  }
  for (MenuCommand command : kAppCommands) {
    if (enable) EnableMenuCommand(nullptr, command);
    else DisableMenuCommand(nullptr, command);
  }
  gDialogBusy = enable ? 0 : 1;
}

StringPtr GetProgressMessage(int16_t n) {
  gStringBuffer[0] = 0;
  return AppendIndString(kProgressMessagesId, int16_t(n - 1));
}

int16_t OpenProgressDialogEx(int16_t message, int32_t start, int32_t endHigh, uint32_t endLow,
                             const Point* position, uint8_t interval, int16_t dlogId) {
  // Only one progress dialog exists: one left open is closed rather than lost.
  if (gProgress.dialog) CloseProgressDialog();
  gProgress.error = 0;
  gProgress.savedFontId = gDialogFontId;
  SetDialogFontId(0);
  int64_t end = Join(endHigh, endLow);
  if (dlogId == 0) dlogId = end == int64_t(start) ? kProgressIndeterminateDialogId : kProgressDialogId;
  gProgress.interval = interval;
  gProgress.start = start;
  gProgress.end = end;
  gProgress.dialog = GetNewDialog(dlogId, nullptr, reinterpret_cast<WindowRef>(-1));
  if (!gProgress.dialog) {
    gProgress.error = memFullErr;
    SetDialogFontId(gProgress.savedFontId);
    return gProgress.error;
  }
  WindowRef window = GetDialogWindow(gProgress.dialog);
  if (IsIndeterminate())
    if (ControlRef bar = ItemControl(kProgressBarItem)) {
      Boolean on = true;
      SetControlData(bar, 0, kControlProgressBarIndeterminateTag, sizeof on, &on);
    }
  if (position && position->v != 0) MoveWindow(window, position->h, position->v, false);
  ShowWindow(window);
  SelectWindow(window);
  EnableAppMenus(false);
  ShowMessage(message);
  gProgress.current = start;
  gProgress.startTime = 0;
  gProgress.lastRedrawTick = gProgress.lastEstimateTick = gProgress.lastTextTick = 0;
  gProgress.barValue = -1;
  gProgress.timeText[0] = 0;
  DrawBar();
  DrawDialog(gProgress.dialog);
  return gProgress.error;
}

int16_t OpenProgressDialog(int16_t message, int32_t start, int32_t endHigh, uint32_t endLow,
                           int16_t dlogId) {
  return OpenProgressDialogEx(message, start, endHigh, endLow, nullptr, kProgressDefaultInterval, dlogId);
}

int16_t SetProgressValue(int32_t high, uint32_t low) {
  if (!gProgress.dialog || gProgress.error == memFullErr) return gProgress.error;
  int64_t value = std::clamp(Join(high, low), std::min<int64_t>(gProgress.start, gProgress.end),
                             std::max<int64_t>(gProgress.start, gProgress.end));
  UpdateTimeEstimate(value);
  uint32_t now = EventTicksNow();
  if (now - gProgress.lastRedrawTick > gProgress.interval) {
    gProgress.lastRedrawTick = now;
    DrawBar();
    PollEvents(ServedEvents());
    // Keys are not served meanwhile; the cancel keys still stop the operation.
    if (TakeQueuedCancelKey()) SetProgressStop(kProgressCancelItem);
  }
  return gProgress.error;
}

int16_t UpdateProgressDialog(int32_t high, uint32_t low) {
  int64_t next = gProgress.current + Join(high, low);
  return SetProgressValue(int32_t(next >> 32), uint32_t(next));
}

void CloseProgressDialog() {
  if (gProgress.dialog && gProgress.error != memFullErr) DisposeDialog(gProgress.dialog);
  if (gProgress.dialog) SetDialogFontId(gProgress.savedFontId);
  gProgress.dialog = nullptr;
  EnableAppMenus(true);
}

int16_t TakeProgressError() {
  int16_t error = gProgress.error;
  gProgress.error = 0;
  return error;
}

void SetProgressStop(int16_t item) {
  if (item == kProgressCancelItem) gProgress.error = kProgressCancelled;
  else if (item == kProgressStopItem) gProgress.error = kProgressStopped;
}

bool IsProgressDialogWindow(WindowRef window) {
  return window && gProgress.dialog && GetDialogWindow(gProgress.dialog) == window;
}

bool IsProgressDialogUp() { return gProgress.dialog != nullptr; }

void ShowProgressDialog(bool show) {
  if (gProgress.dialog) ShowHide(GetDialogWindow(gProgress.dialog), show);
}

void SetProgressText(ConstStr255Param text, bool primary) {
  if (!gProgress.dialog) return;
  if (IsIndeterminate()) {
    uint32_t now = EventTicksNow();
    if (now - gProgress.lastTextTick < kIndeterminateTextInterval) return;
    gProgress.lastTextTick = now;
  }
  SetItemText(primary ? kProgressMessageItem : kProgressSecondaryItem, text);
}

void SetProgressRange(int32_t endHigh, uint32_t endLow) { gProgress.end = Join(endHigh, endLow); }

void SetProgressFileName(const FSSpec* fileSpec) {
  gProgress.hasFileName = fileSpec != nullptr;
  gProgress.fileName[0] = 0;
  if (fileSpec) CopyPString(fileSpec->name, gProgress.fileName, 63);
}

int16_t MovieProgressProc(void*, int16_t message, int16_t, int32_t percentDone,
                          const MovieProgressRefCon* refCon) {
  switch (message) {
    case kMovieProgressOpen: {
      int16_t text = 0;
      SetProgressFileName(nullptr);
      if (refCon && refCon->file) {
        SetProgressFileName(refCon->file);
        text = kProgressFileMessage;
      } else if (refCon && refCon->message > 0 && refCon->message <= kLastMessageIndex) {
        text = refCon->message;
      }
      Point where{gProgress.savedV, gProgress.savedH};
      return OpenProgressDialogEx(text, 0, 0, 65536, &where, kProgressDefaultInterval, 0);
    }
    case kMovieProgressUpdate:
      return SetProgressValue(0, uint32_t(std::max(percentDone, 0)));
    case kMovieProgressClose:
      if (gProgress.dialog) {
        Rect bounds{};
        GetWindowBounds(GetDialogWindow(gProgress.dialog), kWindowContentRgn, &bounds);
        gProgress.savedV = bounds.top;
        gProgress.savedH = bounds.left;
      }
      CloseProgressDialog();
      SetProgressFileName(nullptr);
      return 0;
    default:
      return 0;
  }
}

namespace {

// The dialog layer's busy state from before the work began: the work may run inside a modal
// dialog, which stays busy after the progress dialog closes.
uint32_t gBusyBeforeWork = 0;

int16_t OpenWorkProgress(int16_t message, int32_t total) {
  gBusyBeforeWork = gDialogBusy;
  return OpenProgressDialog(message, 0, 0, uint32_t(std::max<int32_t>(total, 0)), 0);
}

int16_t SetWorkProgress(int32_t done) { return SetProgressValue(0, uint32_t(std::max<int32_t>(done, 0))); }

void CloseWorkProgress() {
  if (!gProgress.dialog) return;
  CloseProgressDialog();
  gDialogBusy = gBusyBeforeWork;
  TakeProgressError();
}

}  // namespace

void InstallProgressHooks() {
  gProgressHooks.open = OpenWorkProgress;
  gProgressHooks.setValue = SetWorkProgress;
  gProgressHooks.close = CloseWorkProgress;
  gProgressHooks.setText = [](const unsigned char* text) {
    if (gProgress.dialog) SetProgressText(text, true);
  };
}
