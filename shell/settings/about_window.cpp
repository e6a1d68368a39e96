#include "shell/settings/about_window.h"

#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/quickdraw/cursors.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/ports.h"
#include "platform/quickdraw/text.h"
#include "platform/resources/resource_manager.h"
#include "platform/windows/windows.h"
#include "sequencer/transport/transport_engine.h"
#include "shell/app/app_entry.h"
#include "shell/app/app_events.h"
#include "shell/base/app_state.h"
#include "shell/base/event_records.h"
#include "shell/dialogs/dialog_controls.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/poll_events.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/windows/context_help.h"

AppWindow* gSplashWindow = nullptr;

namespace {

AppWindow gSplashRecord;
constexpr int16_t kSplashFont = 1;
constexpr int16_t kSplashTextSize = 11;
constexpr int16_t kSplashLift = 4;
constexpr EventMask kStrayInput = mDownMask | keyDownMask | autoKeyMask;

DialogRef SplashDialog() { return gSplashWindow ? gSplashWindow->dialog : nullptr; }

class SplashPort {
 public:
  SplashPort() {
    GetPort(&saved_);
    SetPortWindowPort(GetDialogWindow(SplashDialog()));
  }
  ~SplashPort() {
    if (saved_) SetPort(saved_);
  }
  SplashPort(const SplashPort&) = delete;
  SplashPort& operator=(const SplashPort&) = delete;

 private:
  GrafPtr saved_ = nullptr;
};

Rect ItemRect(int16_t item) {
  DialogItemType type = 0;
  DialogItemHandle handle = nullptr;
  Rect r{};
  GetDialogItem(SplashDialog(), item, &type, &handle, &r);
  return r;
}

// The loop ends on a click, a key or a switch to or from another application; mouse motion
// (reported as an OS event too) does not end it, so the pointer can be moved to a link.
bool EndsAboutLoop(const EventRecord& event) {
  switch (event.what) {
    case mouseDown:
    case keyDown:
    case autoKey: return true;
    case osEvt: return (event.message >> 24) == suspendResumeMessage;
    default: return false;
  }
}

// Events the loop takes but does not act on still reach their handlers, so no window loses
// an update and no Apple event is dropped.
void PassOnEvent(EventRecord* event) {
  switch (event->what) {
    case updateEvt:
      if (WindowForEventMessage(event->message) == GetDialogWindow(SplashDialog())) {
        WindowRef window = GetDialogWindow(SplashDialog());
        SplashPort port;
        BeginUpdate(window);
        DrawDialog(SplashDialog());
        EndUpdate(window);
        return;
      }
      [[fallthrough]];
    case activateEvt:
    case kHighLevelEvent: DispatchEventRecord(event); return;
    default: return;
  }
}

void TrackMouseOverLinks() {
  {
    SplashPort port;
    GetMouse(&gLastMousePoint);
  }
  bool over = false;
  for (int16_t item = kAboutFirstLinkItem; item <= kAboutLastLinkItem; ++item) over = over || IsMouseOverLink(item);
  SetThemeCursor(over ? kThemePointingHandCursor : kThemeArrowCursor);
}

// Only a click opens links: the one under the click, or every link with Option held. A key
// press never opens one, wherever the pointer is.
void OpenClickedLinks(const EventRecord& end) {
  if (end.what != mouseDown) return;
  Point where = end.where;
  {
    SplashPort port;
    GlobalToLocal(&where);
  }
  bool every = (end.modifiers & optionKey) != 0;
  for (int16_t item = kAboutFirstLinkItem; item <= kAboutLastLinkItem; ++item) {
    Rect r = ItemRect(item);
    if (every || PtInRect(where, &r)) OpenWebAddress(AboutLinkAddress(item).c_str());
  }
}

}  // namespace

void OpenSplashWindow() {
  if (gSplashWindow && IsValidDialog(gSplashWindow->dialog)) return;
  gSplashWindow = nullptr;
  uint16_t font = GetDialogFontId();
  SetDialogFontId(kSplashFont);
  DialogRef dialog = GetNewDialog(kAboutDialogId, nullptr, reinterpret_cast<WindowRef>(-1));
  if (dialog) {
    gSplashRecord = AppWindow{};
    gSplashRecord.dialog = dialog;
    gSplashWindow = &gSplashRecord;
    SplashPort port;
    TextFont(kSplashFont);
    TextSize(kSplashTextSize);
    CenterWindowOnScreen(GetDialogWindow(dialog), kSplashLift);
    Rect late = ItemRect(kAboutLateItem);
    if (late.left < kItemOutOfSight) ShowHideDialogItem(kAboutLateItem, false);
  }
  SetDialogFontId(font);
}

void ShowSplashWindow() {
  DialogRef dialog = SplashDialog();
  if (!dialog) return;
  WindowRef window = GetDialogWindow(dialog);
  // Its texts are read, not used: they show in full contrast even before the window is
  // activated (and the splash at start-up never is).
  ControlRef root = nullptr;
  if (GetRootControl(window, &root) == noErr) ActivateControl(root);
  {
    SplashPort port;
    TextMode(srcOr);
    DrawDialog(dialog);
    ShowWindow(window);
    DrawDialog(dialog);
  }
  EventRecord stray;
  for (int i = 0; i < 2; ++i) GetNextEvent(kStrayInput, &stray);
  SelectWindow(window);
  QDFlushPortBuffer(GetWindowPort(window), nullptr);
}

void CloseSplashWindow() {
  if (!SplashDialog()) return;
  HideWindow(GetDialogWindow(SplashDialog()));
  gAppState[4] &= uint16_t(~kAppWord4AboutLoop);
}

void ShowHideDialogItem(int16_t item, bool show) {
  DialogRef dialog = SplashDialog();
  if (!dialog || item < 1 || item > CountDITL(dialog)) return;
  DialogItemType type = 0;
  DialogItemHandle handle = nullptr;
  Rect r{};
  GetDialogItem(dialog, item, &type, &handle, &r);
  bool outOfSight = r.left >= kItemOutOfSight;
  if (show == !outOfSight) return;
  int16_t dh = show ? int16_t(-kItemOutOfSight) : kItemOutOfSight;
  Rect old = r;
  OffsetRect(&r, dh, 0);
  SetDialogItem(dialog, item, type, handle, &r);
  WindowRef window = GetDialogWindow(dialog);
  InvalWindowRect(window, show ? &r : &old);
  SplashPort port;
  DrawDialog(dialog);
}

bool IsMouseOverLink(int16_t item) {
  if (GetCurrentKeyModifiers() & optionKey) return true;
  if (!SplashDialog()) return false;
  Rect r = ItemRect(item);
  return PtInRect(gLastMousePoint, &r);
}

void RunSplashWindowLoop() {
  if (gDialogBusy) return;
  OpenSplashWindow();
  if (!SplashDialog()) return;
  ShowSplashWindow();
  gAppState[4] |= kAppWord4AboutLoop;
  const uint32_t start = EventTicksNow();
  bool lateShown = false;
  EventRecord event{};
  for (;;) {
    bool got = WaitNextEventWithSleep(everyEvent, &event);
    if (got && EndsAboutLoop(event)) break;
    if (got) PassOnEvent(&event);
    if (!lateShown && EventTicksNow() - start > kAboutLateTicks && (gAppState[1] & kAppWord1AboutLateItem)) {
      ShowHideDialogItem(kAboutLateItem, true);
      lateShown = true;
    }
    TrackMouseOverLinks();
    PollEvents(updateMask);
    RunIdleTask(true);
    if (!(gAppState[4] & kAppWord4AboutLoop) || gQuitFlag) {
      event.what = nullEvent;
      break;
    }
  }
  if (lateShown) ShowHideDialogItem(kAboutLateItem, false);
  OpenClickedLinks(event);
  CloseSplashWindow();
  SetThemeCursor(kThemeArrowCursor);
}

std::string AboutLinkAddress(int16_t item) {
  if (item < kAboutFirstLinkItem || item > kAboutLastLinkItem) return std::string();
  Str255 text;
  text[0] = 0;
  GetIndString(text, kAboutLinksStrList, int16_t(item - kAboutFirstLinkItem + 1));
  return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

OSStatus OpenWebAddress(const char* url) {
  if (!url || !*url) return paramErr;
  return OpenWithHelpOpener(url);
}
