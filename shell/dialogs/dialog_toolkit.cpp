#include "shell/dialogs/dialog_toolkit.h"

#include "platform/memory/memory.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/resources/resource_manager.h"
#include "platform/system/host_time.h"
#include "platform/system/sys_beep.h"
#include "platform/windows/windows.h"
#include "shell/base/error_report.h"
#include "shell/base/memory_reserve.h"
#include "shell/base/resource_files.h"
#include "shell/dialogs/dialog_arrows.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/context_help.h"

ModalFilterUPP gModalFilterUPP = DialogModalFilterProc;

namespace {

constexpr int16_t kProgressDialogKind = 18;
GrafPtr gDialogSavedPort = nullptr;

void UseAppResFileUnlessPrefs() {
  int16_t current = CurResFile();
  if (current != gAppResFile && current != gPrefsResFile) UseAppResFile();
}

bool Fail(OSErr err) {
  ReportError(err);
  return false;
}

}  // namespace

bool HasDialogResources(int16_t dlogId, int16_t ditlId) {
  return GetResource(FourCC("DLOG"), dlogId) && GetResource(FourCC("DITL"), ditlId);
}

bool OpenDialogEx(int16_t dlogId, int16_t ditlId, void* storage, uint32_t busy) {
  gDialogIdBase = 0;
  Size grow = 0;
  MaxMem(&grow);
  if (MaxBlock() < Size(gMemoryReserve)) return Fail(memFullErr);
  UseAppResFileUnlessPrefs();
  if (!HasDialogResources(dlogId, ditlId)) {
    OSErr err = ResError();
    return Fail(err != noErr ? err : OSErr(memFullErr));
  }
  GrafPtr port = nullptr;
  GetPort(&port);
  if (!gCurrentDialog || port != GetDialogPort(gCurrentDialog)) gDialogSavedPort = port;
  DialogRef dialog = GetNewDialog(dlogId, storage, reinterpret_cast<WindowRef>(-1));
  InitCursor();
  gArrowButtons = DialogItemList{};
  gClickReportItems = DialogItemList{};
  gDialogKeyFlags = kDialogKeysHandled;
  gDialogHelpTopic = dlogId;
  if (!dialog) return Fail(dialogNotFoundErr);
  gCurrentDialog = dialog;
  WindowClass windowClass = 0;
  if (dlogId != kKeepWindowClassDialogId &&
      GetWindowClass(GetDialogWindow(dialog), &windowClass) == noErr &&
      windowClass == kMovableModalWindowClass)
    HIWindowChangeClass(GetDialogWindow(dialog), kDocumentWindowClass);
  gDialogBusy = busy;
  return true;
}

bool OpenDialogById(int16_t id) { return OpenDialogEx(id, id, nullptr, 1); }

void ShowCurrentDialogAt(const Point* savedTopLeft) {
  if (!gCurrentDialog) return;
  WindowRef window = GetDialogWindow(gCurrentDialog);
  if (savedTopLeft && (savedTopLeft->h || savedTopLeft->v))
    MoveWindow(window, savedTopLeft->h, savedTopLeft->v, false);
  else
    CenterDialogHorizontally(gCurrentDialog);
  ShowWindow(window);
  SelectWindow(window);
  SetPortWindowPort(window);
  SetDialogDefaultItem(gCurrentDialog, 1);
  gDialogItemHit = 0;
}

void ShowCurrentDialog() { ShowCurrentDialogAt(nullptr); }

void ShowCurrentDialogWithNoteInput() {
  gDialogFilterHook = FilterNoteInputEvent;
  ShowCurrentDialog();
}

int16_t ModalDialogKeepResFile() {
  int16_t resFile = CurResFile();
  DialogItemIndex hit = 0;
  ModalDialog(gModalFilterUPP, &hit);
  gDialogItemHit = hit;
  if (gCurrentDialog) SetPortWindowPort(GetDialogWindow(gCurrentDialog));
  HandleDialogHelpButton(hit);
  UseResFile(resFile);
  return gDialogItemHit;
}

int16_t RunModalDialog() {
  gDialogFilterHook = SharedModalFilter;
  return ModalDialogKeepResFile();
}

bool HandleDialogHelpButton(int16_t item) {
  if (!gCurrentDialog || item < 1 || item > CountDITL(gCurrentDialog)) return false;
  ControlRef control = nullptr;
  if (GetDialogItemAsControl(gCurrentDialog, item, &control) != noErr || !control) return false;
  if (reinterpret_cast<intptr_t>(GetControlReference(control)) != kHelpButtonReference) return false;
  OpenHelpTopic(gDialogHelpTopic);
  return true;
}

void CloseCurrentDialog() {
  if (gCurrentDialog) DisposeDialog(gCurrentDialog);
  gCurrentDialog = nullptr;
  gDialogIdBase = 0;
  if (gDialogSavedPort) SetPort(gDialogSavedPort);
  gDialogBusy = 0;
}

void CloseCurrentDialogSavingPosition(Point* topLeft) {
  Rect bounds;
  if (gCurrentDialog && GetWindowBounds(GetDialogWindow(gCurrentDialog), kWindowContentRgn, &bounds) == noErr)
    *topLeft = Point{bounds.top, bounds.left};
  CloseCurrentDialog();
}

bool RunNestedDialogCall(void (*fn)(void*), void* arg) {
  if (gNestedDialogDepth >= kMaxNestedDialogs) {
    SysBeep(1);
    return false;
  }
  GrafPtr port = nullptr;
  GetPort(&port);
  GrafPtr savedPort = gDialogSavedPort;
  uint32_t busy = gDialogBusy, shared = gDialogSharedState;
  uint16_t font = gDialogFontId, keyFlags = gDialogKeyFlags;
  gDialogBusy = 1;
  SetDialogFont(0);
  gNestedDialogs[gNestedDialogDepth++] = gCurrentDialog;
  DialogItemList arrows = gArrowButtons, clicks = gClickReportItems;
  int16_t hit = gDialogItemHit, topic = gDialogHelpTopic, base = gDialogIdBase;
  uint32_t focus = gDialogFocusItem;
  DialogFilterHook hook = gDialogFilterHook;
  fn(arg);
  gDialogFilterHook = hook;
  gDialogFocusItem = focus;
  gDialogIdBase = base;
  gDialogHelpTopic = topic;
  gDialogItemHit = hit;
  gClickReportItems = clicks;
  gArrowButtons = arrows;
  gCurrentDialog = gNestedDialogs[--gNestedDialogDepth];
  gNestedDialogs[gNestedDialogDepth] = nullptr;
  SetDialogFontId(font);
  gDialogKeyFlags = keyFlags;
  gDialogSharedState = shared;
  gDialogBusy = busy;
  gDialogSavedPort = savedPort;
  SetPort(port);
  return true;
}

DialogRef FindDialogForWindow(WindowRef window) {
  if (!window) return nullptr;
  if (AppWindow* w = FindAppWindow(window)) {
    switch (w->kind) {
      case kProgressDialogKind:
      case kRhythmToolKind:
      case kDialogAppWindowKind:
      case kJukeboxKind:
      case kLoopWindowKind: return w->dialog;
      default: break;
    }
  }
  for (int16_t i = 0; i < gNestedDialogDepth; ++i)
    if (gNestedDialogs[i] && GetDialogWindow(gNestedDialogs[i]) == window) return gNestedDialogs[i];
  if (gCurrentDialog && GetDialogWindow(gCurrentDialog) == window) return gCurrentDialog;
  return nullptr;
}

Boolean DialogModalFilterProc(DialogRef dialog, EventRecord* event, DialogItemIndex* itemHit) {
  gFilterDialog = dialog;
  gFilterEvent = event;
  gFilterItemHit = itemHit;
  gLastMouseTicks = TickCount();
  UseAppResFileUnlessPrefs();
  return gDialogFilterHook ? gDialogFilterHook() : false;
}

void ReportFilterItem(int16_t item) {
  if (gFilterItemHit) *gFilterItemHit = item;
}
