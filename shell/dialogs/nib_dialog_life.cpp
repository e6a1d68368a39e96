// Making, running and freeing nib dialogs.
#include "shell/dialogs/nib_dialog.h"

#include <cstring>

#include "platform/quickdraw/cursors.h"
#include "platform/resources/resource_fork.h"
#include "shell/base/error_report.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/nib_dialog_events.h"
#include "shell/dialogs/nib_dialog_views.h"

NibDialog* gCurrentNibDialog = nullptr;
uint8_t gDialogInputValid = 1;
uint32_t gStepNoteValueIndex = 0;

namespace {

// Far more than nested dialogs ever reach; a bound for walking the stack.
constexpr int kMaxNibDialogDepth = 64;

const EventTypeSpec kDialogWindowEvents[] = {
    {kEventClassCommand, kEventCommandProcess},
    {kEventClassMouse, kEventMouseWheelMoved},
    {kEventClassWindow, kEventWindowCursorChange},
};

OSStatus MakeNibWindow(const char* name, NibDialog* dialog) {
  CFStringRef cfName = CFStringCreateWithCString(nullptr, name, kCFStringEncodingMacRoman);
  OSStatus err = CreateNibReference(cfName, &dialog->nibRef);
  if (err == noErr) err = CreateWindowFromNib(dialog->nibRef, cfName, &dialog->window);
  CFRelease(cfName);
  if (err == kIBCarbonRuntimeCantFindNibFile || err == kIBCarbonRuntimeCantFindObject)
    return resNotFound;
  if (err == noErr && !dialog->window) return paramErr;
  return err;
}

// A record disposed out of order leaves the stack without leaving a dangling link behind.
void UnlinkNibDialog(NibDialog* dialog) {
  int steps = 0;
  for (NibDialog* d = gCurrentNibDialog; d && steps < kMaxNibDialogDepth; d = d->previous, ++steps)
    if (d->previous == dialog) {
      d->previous = dialog->previous;
      return;
    }
}

}  // namespace

OSStatus CreateNibDialog(const char* name, NibDialog* dialog, EventHandlerProcPtr handlerProc,
                         int16_t helpId) {
  std::memset(static_cast<void*>(dialog), 0, sizeof(NibDialog));
  dialog->helpId = helpId;
  OSStatus err = MakeNibWindow(name, dialog);
  if (err == noErr) {
    dialog->windowHandlerUPP = NewEventHandlerUPP(handlerProc);
    err = InstallEventHandler(GetWindowEventTarget(dialog->window), dialog->windowHandlerUPP,
                              GetEventTypeCount(kDialogWindowEvents), kDialogWindowEvents,
                              dialog, &dialog->windowHandlerRef);
  }
  if (err != noErr) ReportError(err);
  return err;
}

void NewNibDialogEventUPP(NibDialog* dialog) {
  dialog->fieldHandlerUPP = NewEventHandlerUPP(HandleDialogControlEvent);
}

OSStatus RunAppModalLoopBusy(WindowRef window) {
  uint32_t savedBusy = gDialogBusy;
  gDialogBusy = 1;
  OSStatus err = RunAppModalLoopForWindow(window);
  gDialogBusy = savedBusy;
  return err;
}

int32_t RunNibDialogModal(NibDialog* dialog, int32_t focusId, NibDialogIdleProc idleProc) {
  if (!dialog->window) return paramErr;
  if (gCurrentNibDialog != dialog) {
    dialog->previous = gCurrentNibDialog;
    gCurrentNibDialog = dialog;
  }
  dialog->idleProc = idleProc;
  dialog->endCommand = 0;
  ShowWindow(dialog->window);
  SelectWindow(dialog->window);
  InitCursor();
  ControlRef focus = nullptr;
  if (focusId > 0 && FindDialogView(dialog->window, focusId, &focus) == noErr) {
    SetUserFocusWindow(dialog->window);
    SelectDialogField(dialog->window, focusId);
  }
  RunAppModalLoopBusy(dialog->window);
  return dialog->endCommand == kHICommandOK ? 1 : 0;
}

void DisposeNibDialog(NibDialog* dialog) {
  dialog->idleProc = nullptr;
  if (gCurrentNibDialog == dialog) gCurrentNibDialog = dialog->previous;
  else UnlinkNibDialog(dialog);
  if (dialog->actionUPP) DisposeControlActionUPP(dialog->actionUPP);
  dialog->actionUPP = nullptr;
  for (int i = 0; i < dialog->fieldCount && i < kMaxHookedFields; ++i)
    if (dialog->fieldIds[i] != 0 && dialog->fieldHandlerRefs[i])
      RemoveEventHandler(dialog->fieldHandlerRefs[i]);
  dialog->fieldCount = 0;
  if (dialog->keyFilterUPP) DisposeControlKeyFilterUPP(dialog->keyFilterUPP);
  dialog->keyFilterUPP = nullptr;
  if (dialog->nibRef) DisposeNibReference(dialog->nibRef);
  dialog->nibRef = nullptr;
  if (dialog->windowHandlerRef) RemoveEventHandler(dialog->windowHandlerRef);
  if (dialog->windowHandlerUPP) DisposeEventHandlerUPP(dialog->windowHandlerUPP);
  dialog->windowHandlerRef = nullptr;
  dialog->windowHandlerUPP = nullptr;
  if (dialog->extraHandlerRef) RemoveEventHandler(dialog->extraHandlerRef);
  dialog->extraHandlerRef = nullptr;
  if (dialog->fieldHandlerUPP) DisposeEventHandlerUPP(dialog->fieldHandlerUPP);
  dialog->fieldHandlerUPP = nullptr;
  if (dialog->window) {
    ClearKeyboardFocus(dialog->window);
    HideWindow(dialog->window);
    DisposeWindow(dialog->window);
    dialog->window = nullptr;
  }
}

bool ServeNibDialogIdle() {
  NibDialog* dialog = gCurrentNibDialog;
  if (!dialog) return false;
  if (dialog->idleProc) dialog->idleProc(dialog);
  return true;
}
