// Dialog items: access, text, selection, visibility, default and cancel items, drawing.
#include <algorithm>

#include "platform/dialogs/dialog_internal.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/windows/windows.h"

namespace {

DialogItemType BaseType(DialogItemType type) { return DialogItemType(type & ~itemDisable); }

bool IsTextControl(ControlRef control) {
  ControlKind kind;
  return GetControlKind(control, &kind) == noErr &&
         (kind.kind == kControlKindStaticText || kind.kind == kControlKindEditText);
}

bool IsUserPane(ControlRef control) {
  ControlKind kind;
  return GetControlKind(control, &kind) == noErr && kind.kind == kControlKindUserPane;
}

// Marks the push button of an item as the default or cancel button (for its look and keys).
void MarkButton(DialogRef dialog, DialogItemIndex item, ControlDataTag tag, Boolean on) {
  DialogItemRecord* record = DialogItemAt(dialog, item);
  if (!record || !record->control) return;
  ControlKind kind;
  if (GetControlKind(record->control, &kind) != noErr || kind.kind != kControlKindPushButton) return;
  SetControlData(record->control, kControlEntireControl, tag, sizeof on, &on);
}

}  // namespace

bool IsEnabledItem(const DialogItemRecord& item) {
  return !(item.type & itemDisable) && !item.hidden;
}

void FlashDialogItem(DialogRef dialog, DialogItemIndex item) {
  DialogItemRecord* record = DialogItemAt(dialog, item);
  if (!record || !record->control) return;
  HiliteControl(record->control, kControlButtonPart);
  QDFlushPortBuffer(GetWindowPort(dialog->window), nullptr);
  HiliteControl(record->control, kControlNoPart);
}

void GetDialogItem(DialogRef dialog, DialogItemIndex item, DialogItemType* itemType,
                   DialogItemHandle* itemHandle, Rect* box) {
  DialogItemRecord* record = DialogItemAt(dialog, item);
  if (itemType) *itemType = record ? record->type : DialogItemType(0);
  if (itemHandle) {
    *itemHandle = nullptr;
    if (record && BaseType(record->type) == userItem)
      *itemHandle = UserItemHandle(record->userProc);
    else if (record)
      *itemHandle = record->control;
  }
  if (box) *box = record ? record->rect : Rect{};
}

void SetDialogItem(DialogRef dialog, DialogItemIndex item, DialogItemType itemType,
                   DialogItemHandle itemHandle, const Rect* box) {
  DialogItemRecord* record = DialogItemAt(dialog, item);
  if (!record) return;
  if (box) record->rect = *box;
  if (BaseType(itemType) == userItem) {
    if (!IsUserPane(record->control)) ReplaceWithUserPane(dialog, item);
    record = DialogItemAt(dialog, item);
    record->userProc = reinterpret_cast<UserItemUPP>(itemHandle);
  } else if (itemHandle && IsValidControlHandle(static_cast<ControlRef>(itemHandle))) {
    record->control = static_cast<ControlRef>(itemHandle);
  }
  record->type = itemType;
  if (record->control && box) SetControlBounds(record->control, box);
  if (record->control && BaseType(itemType) == userItem) HIViewSetNeedsDisplay(record->control, true);
}

OSErr GetDialogItemAsControl(DialogRef dialog, SInt16 itemNo, ControlRef* outControl) {
  if (!outControl) return paramErr;
  DialogItemRecord* record = DialogItemAt(dialog, itemNo);
  *outControl = record ? record->control : nullptr;
  return *outControl ? OSErr(noErr) : OSErr(errItemNotControl);
}

void GetDialogItemText(DialogItemHandle item, Str255 text) {
  if (!text) return;
  text[0] = 0;
  ControlRef control = static_cast<ControlRef>(item);
  if (!IsValidControlHandle(control)) return;
  if (!IsTextControl(control)) {
    GetControlTitle(control, text);
    return;
  }
  Size size = 0;
  GetControlData(control, kControlEntireControl, kControlEditTextTextTag, 255, text + 1, &size);
  text[0] = UInt8(std::min<Size>(size, 255));
}

void SetDialogItemText(DialogItemHandle item, ConstStr255Param text) {
  ControlRef control = static_cast<ControlRef>(item);
  if (!IsValidControlHandle(control) || !text) return;
  if (IsTextControl(control))
    SetControlData(control, kControlEntireControl, kControlEditTextTextTag, text[0], text + 1);
  else
    SetControlTitle(control, text);
}

void SelectDialogItemText(DialogRef dialog, DialogItemIndex itemNo, SInt16 strtSel, SInt16 endSel) {
  DialogItemRecord* record = DialogItemAt(dialog, itemNo);
  if (!record || BaseType(record->type) != editText || !record->control) return;
  SetKeyboardFocus(dialog->window, record->control, kControlEditTextPart);
  ControlEditTextSelectionRec selection{strtSel, endSel};
  SetControlData(record->control, kControlEntireControl, kControlEditTextSelectionTag,
                 sizeof selection, &selection);
}

DialogItemIndex GetDialogKeyboardFocusItem(DialogRef dialog) {
  ControlRef focus = nullptr;
  if (!IsLiveDialog(dialog) || GetKeyboardFocus(dialog->window, &focus) != noErr) return 0;
  return DialogItemOfControl(dialog, focus);
}

void HideDialogItem(DialogRef dialog, DialogItemIndex itemNo) {
  DialogItemRecord* record = DialogItemAt(dialog, itemNo);
  if (!record || record->hidden) return;
  record->hidden = true;
  if (record->control) HideControl(record->control);
}

void ShowDialogItem(DialogRef dialog, DialogItemIndex itemNo) {
  DialogItemRecord* record = DialogItemAt(dialog, itemNo);
  if (!record || !record->hidden) return;
  record->hidden = false;
  if (record->control) ShowControl(record->control);
}

DialogItemIndexZeroBased FindDialogItem(DialogRef dialog, Point thePt) {
  if (!IsLiveDialog(dialog)) return -1;
  for (size_t i = 0; i < dialog->items.size(); ++i)
    if (!dialog->items[i].hidden && PtInRect(thePt, &dialog->items[i].rect)) return SInt16(i);
  return -1;
}

OSErr SetDialogDefaultItem(DialogRef dialog, DialogItemIndex newItem) {
  if (!IsLiveDialog(dialog)) return paramErr;
  if (newItem < 0 || newItem > CountDITL(dialog)) return paramErr;
  MarkButton(dialog, dialog->defaultItem, kControlPushButtonDefaultTag, false);
  dialog->defaultItem = newItem;
  MarkButton(dialog, newItem, kControlPushButtonDefaultTag, true);
  return noErr;
}

OSErr SetDialogCancelItem(DialogRef dialog, DialogItemIndex newItem) {
  if (!IsLiveDialog(dialog)) return paramErr;
  if (newItem < 0 || newItem > CountDITL(dialog)) return paramErr;
  MarkButton(dialog, dialog->cancelItem, kControlPushButtonCancelTag, false);
  dialog->cancelItem = newItem;
  MarkButton(dialog, newItem, kControlPushButtonCancelTag, true);
  return noErr;
}

DialogItemIndex GetDialogDefaultItem(DialogRef dialog) {
  return IsLiveDialog(dialog) ? dialog->defaultItem : 0;
}

DialogItemIndex GetDialogCancelItem(DialogRef dialog) {
  return IsLiveDialog(dialog) ? dialog->cancelItem : 0;
}

void DrawDialog(DialogRef dialog) {
  if (IsLiveDialog(dialog)) DrawControls(dialog->window);
}

void UpdateDialog(DialogRef dialog, RgnHandle updateRgn) {
  if (IsLiveDialog(dialog)) UpdateControls(dialog->window, updateRgn);
}
