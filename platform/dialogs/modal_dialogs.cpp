// ModalDialog, DialogSelect, IsDialogEvent and the standard filter.
#include "platform/dialogs/dialog_internal.h"
#include "platform/events/apple_events.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/system/sys_beep.h"
#include "platform/windows/windows.h"

namespace {

// Ticks ModalDialog waits for an event before it gives the filter a null event.
constexpr UInt32 kModalSleepTicks = 6;

DialogRef FrontDialog() { return GetDialogFromWindow(FrontNonFloatingWindow()); }

UInt8 CharOf(const EventRecord& event) { return UInt8(event.message & charCodeMask); }
UInt8 KeyOf(const EventRecord& event) { return UInt8((event.message & keyCodeMask) >> 8); }
bool IsKey(const EventRecord& event) { return event.what == keyDown || event.what == autoKey; }

// The item a Return, Enter, Escape or Command-period presses, or 0.
DialogItemIndex ItemForKey(DialogRef dialog, const EventRecord& event) {
  UInt8 ch = CharOf(event);
  bool command = event.modifiers & cmdKey;
  if (!command && (ch == kReturnCharCode || ch == kEnterCharCode)) return dialog->defaultItem;
  if ((!command && ch == kEscapeCharCode && KeyOf(event) == kVK_Escape) || (command && ch == '.'))
    return dialog->cancelItem;
  return 0;
}

bool PressByKey(DialogRef dialog, const EventRecord& event, DialogItemIndex* itemHit) {
  if (!IsKey(event)) return false;
  DialogItemIndex item = ItemForKey(dialog, event);
  DialogItemRecord* record = DialogItemAt(dialog, item);
  if (!record || !IsEnabledItem(*record)) return false;
  if (record->control && !IsControlActive(record->control)) return false;
  FlashDialogItem(dialog, item);
  *itemHit = item;
  return true;
}

Point LocalOf(DialogRef dialog, Point global) {
  QDGlobalToLocalPoint(GetWindowPort(dialog->window), &global);
  return global;
}

bool ClickItem(DialogRef dialog, const EventRecord& event, DialogItemIndex* itemHit) {
  Point local = LocalOf(dialog, event.where);
  ControlPartCode part = kControlNoPart;
  ControlRef control = FindControlUnderMouse(local, dialog->window, &part);
  DialogItemIndex item = DialogItemOfControl(dialog, control);
  DialogItemRecord* record = DialogItemAt(dialog, item);
  if (control && part != kControlNoPart) {
    ControlPartCode result = HandleControlClick(control, local, EventModifiers(event.modifiers),
                                                ControlOwnActionUPP());
    if (!IsLiveDialog(dialog)) return false;
    record = DialogItemAt(dialog, item);
    if (!record || result == kControlNoPart || !IsEnabledItem(*record)) return false;
    *itemHit = item;
    return true;
  }
  // User items (and help items) answer a click at once, without tracking.
  DialogItemIndexZeroBased at = FindDialogItem(dialog, local);
  record = DialogItemAt(dialog, DialogItemIndex(at + 1));
  if (!record || !IsEnabledItem(*record)) return false;
  DialogItemType type = DialogItemType(record->type & ~itemDisable);
  if (type != userItem && type != helpItem) return false;
  *itemHit = DialogItemIndex(at + 1);
  return true;
}

// Tab moves to the next (Shift: previous) edit item; other keys go to the focused edit item.
bool KeyForItems(DialogRef dialog, const EventRecord& event, DialogItemIndex* itemHit) {
  UInt8 ch = CharOf(event);
  bool command = event.modifiers & cmdKey;
  DialogItemIndex focus = GetDialogKeyboardFocusItem(dialog);
  if (ch == kTabCharCode && !command) {
    int count = CountDITL(dialog), step = (event.modifiers & shiftKey) ? -1 : 1;
    if (count == 0) return false;
    for (int n = 1; n <= count; ++n) {
      int item = ((focus - 1 + step * n) % count + count) % count + 1;
      DialogItemRecord* record = DialogItemAt(dialog, DialogItemIndex(item));
      if ((record->type & ~itemDisable) == editText && !record->hidden) {
        SelectDialogItemText(dialog, DialogItemIndex(item), 0, 32767);
        break;
      }
    }
    return false;
  }
  DialogItemRecord* record = DialogItemAt(dialog, focus);
  if (!record) return false;
  HandleControlKey(record->control, KeyOf(event), ch, EventModifiers(event.modifiers));
  if (!IsLiveDialog(dialog) || !IsEnabledItem(*DialogItemAt(dialog, focus))) return false;
  *itemHit = focus;
  return true;
}

void DrawUpdate(DialogRef dialog) {
  BeginUpdate(dialog->window);
  DrawDialog(dialog);
  EndUpdate(dialog->window);
}

// Another window's update while a dialog runs: answered the way the event loop would.
void UpdateOtherWindow(WindowRef window) {
  EventRef event = nullptr;
  if (CreateEvent(nullptr, kEventClassWindow, kEventWindowUpdate, 0, kEventAttributeNone, &event) != noErr)
    return;
  SetEventParameter(event, kEventParamDirectObject, typeWindowRef, sizeof window, &window);
  SendEventToEventTarget(event, GetWindowEventTarget(window));
  ReleaseEvent(event);
}

void Activate(DialogRef dialog, bool active) {
  ControlRef root = nullptr;
  if (GetRootControl(dialog->window, &root) != noErr) return;
  if (active)
    ActivateControl(root);
  else
    DeactivateControl(root);
}

// What ModalDialog does with an event the filter left.
bool ModalEvent(DialogRef dialog, const EventRecord& event, DialogItemIndex* itemHit) {
  WindowRef window = nullptr;
  switch (event.what) {
    case mouseDown: {
      WindowPartCode part = FindWindow(event.where, &window);
      if (window != dialog->window) {
        SysBeep(1);
        return false;
      }
      if (part == inDrag) DragWindow(window, event.where, nullptr);
      return part == inContent && ClickItem(dialog, event, itemHit);
    }
    case keyDown:
    case autoKey: return KeyForItems(dialog, event, itemHit);
    case updateEvt:
      window = GetWindowFromEventMessage(event.message);
      if (window == dialog->window)
        DrawUpdate(dialog);
      else if (window)
        UpdateOtherWindow(window);
      return false;
    case activateEvt:
      if (GetWindowFromEventMessage(event.message) == dialog->window)
        Activate(dialog, event.modifiers & activeFlag);
      return false;
    default: return false;
  }
}

}  // namespace

Boolean StdFilterProc(DialogRef dialog, EventRecord* event, DialogItemIndex* itemHit) {
  if (!IsLiveDialog(dialog) || !event || !itemHit) return false;
  return PressByKey(dialog, *event, itemHit);
}

ModalFilterUPP GetStdFilterProc() { return StdFilterProc; }

namespace {

// The item a quit ends the dialog with: its cancel item, else its default item; 0 when it has
// neither (it goes on until it ends its own way).
DialogItemIndex ItemForQuit(DialogRef dialog) {
  for (DialogItemIndex item : {dialog->cancelItem, dialog->defaultItem}) {
    DialogItemRecord* record = DialogItemAt(dialog, item);
    if (record && IsEnabledItem(*record)) return item;
  }
  return 0;
}

// The loop of ModalDialog: the item hit, or 0 when the dialog went away.
DialogItemIndex RunModalDialog(DialogRef dialog, ModalFilterUPP filter) {
  for (;;) {
    if (IsQuitDeferred() && ItemForQuit(dialog)) return ItemForQuit(dialog);
    EventRecord event;
    Boolean got = WaitNextEvent(everyEvent, &event, kModalSleepTicks, nullptr);
    if (!IsLiveDialog(dialog)) return 0;
    if (got && IsQuitAppleEventRecord(&event)) {
      DeferQuitUntilModalEnds(&event);
      continue;
    }
    DialogItemIndex hit = 0;
    if (filter(dialog, &event, &hit)) return hit;
    if (!IsLiveDialog(dialog)) return 0;
    if (!got) {
      IdleControls(dialog->window);
      continue;
    }
    if (ModalEvent(dialog, event, &hit)) return hit;
    if (!IsLiveDialog(dialog)) return 0;
  }
}

}  // namespace

void ModalDialog(ModalFilterUPP filterProc, DialogItemIndex* itemHit) {
  DialogItemIndex unused = 0;
  if (!itemHit) itemHit = &unused;
  *itemHit = 0;
  DialogRef dialog = FrontDialog();
  if (!dialog) return;
  NoteModalDialogEntered();
  *itemHit = RunModalDialog(dialog, filterProc ? filterProc : StdFilterProc);
  NoteModalDialogLeft();
}

Boolean IsDialogEvent(const EventRecord* theEvent) {
  if (!theEvent) return false;
  WindowRef window = nullptr;
  switch (theEvent->what) {
    case mouseDown:
      FindWindow(theEvent->where, &window);
      return GetDialogFromWindow(window) != nullptr;
    case updateEvt:
    case activateEvt:
      return GetDialogFromWindow(GetWindowFromEventMessage(theEvent->message)) != nullptr;
    case keyDown:
    case autoKey:
    case nullEvent:
      return FrontDialog() != nullptr;
    default:
      return false;
  }
}

Boolean DialogSelect(const EventRecord* theEvent, DialogRef* theDialog, DialogItemIndex* itemHit) {
  DialogRef unusedDialog = nullptr;
  DialogItemIndex unusedItem = 0;
  if (!theDialog) theDialog = &unusedDialog;
  if (!itemHit) itemHit = &unusedItem;
  *theDialog = nullptr;
  *itemHit = 0;
  if (!theEvent) return false;
  const EventRecord& event = *theEvent;
  WindowRef window = nullptr;
  DialogRef dialog = nullptr;
  switch (event.what) {
    case mouseDown: {
      WindowPartCode part = FindWindow(event.where, &window);
      dialog = GetDialogFromWindow(window);
      *theDialog = dialog;
      return dialog && part == inContent && ClickItem(dialog, event, itemHit);
    }
    case keyDown:
    case autoKey:
      dialog = FrontDialog();
      *theDialog = dialog;
      return dialog && KeyForItems(dialog, event, itemHit);
    case updateEvt:
    case activateEvt:
      dialog = GetDialogFromWindow(GetWindowFromEventMessage(event.message));
      *theDialog = dialog;
      if (dialog) ModalEvent(dialog, event, itemHit);
      return false;
    case nullEvent:
      dialog = FrontDialog();
      if (dialog) IdleControls(dialog->window);
      *theDialog = dialog;
      return false;
    default:
      return false;
  }
}
