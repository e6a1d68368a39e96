// The Dialog Manager: dialogs and alerts made from 'DLOG', 'DITL' and 'ALRT' resources (see
// dialog_resources.h for their layouts), their items, ModalDialog and DialogSelect.
//
// A dialog is a window (GetDialogWindow) with a list of items. Every item is backed by a
// control in the window's control hierarchy: buttons, check boxes and radio buttons by those
// controls, 'CNTL' items by the control the resource makes, static and edit text by text
// controls, icons and pictures by icon and picture controls, user items by user panes that
// call the item's procedure to draw. Item numbers count from 1. Static texts show ^0..^3
// replaced by the ParamText strings (param_text.h) when they are drawn.
//
// ModalDialog runs a loop on the event queue (tests post the events first): it takes every
// event with WaitNextEvent, gives it to the filter procedure (also null events, when nothing
// came), then handles what the filter left: clicks on items (tracked by the controls), keys
// for the focused edit field, updates and activation. Without a filter procedure the standard
// filter applies: Return and Enter press the default item, Escape and Command-period the
// cancel item. With one, the filter alone decides about keys (StdFilterProc can be called
// from it).
//
// Main thread only.
#pragma once

#include "platform/controls/controls.h"
#include "platform/dialogs/dialog_resources.h"
#include "platform/dialogs/param_text.h"
#include "platform/events/classic_events.h"

struct OpaqueDialogPtr;
using DialogRef = OpaqueDialogPtr*;
using DialogPtr = DialogRef;
using DialogItemIndex = SInt16;
using DialogItemIndexZeroBased = SInt16;
using DialogItemType = SInt16;
// What an item holds: the ControlRef of a control item, the procedure of a user item
// (a UserItemUPP), or null. In-memory only.
using DialogItemHandle = void*;

// Item types; itemDisable added to a type keeps the item from being reported.
enum : DialogItemType {
  userItem = 0,
  helpItem = 1,
  ctrlItem = 4,
  btnCtrl = 0,
  chkCtrl = 1,
  radCtrl = 2,
  resCtrl = 3,
  statText = 8,
  editText = 16,
  iconItem = 32,
  picItem = 64,
  itemDisable = 128,
  kUserDialogItem = 0,
  kButtonDialogItem = ctrlItem + btnCtrl,
  kCheckBoxDialogItem = ctrlItem + chkCtrl,
  kRadioButtonDialogItem = ctrlItem + radCtrl,
  kResourceControlDialogItem = ctrlItem + resCtrl,
  kStaticTextDialogItem = statText,
  kEditTextDialogItem = editText,
  kIconDialogItem = iconItem,
  kPictureDialogItem = picItem,
  kItemDisableBit = itemDisable,
};

// AppendDITL methods; a negative method places the new items relative to the top left corner
// of item -method.
enum : SInt16 { overlayDITL = 0, appendDITLRight = 1, appendDITLBottom = 2 };
using DITLMethod = SInt16;

// Standard item numbers of alerts.
enum : DialogItemIndex { kStdOkItemIndex = 1, kStdCancelItemIndex = 2 };

using ModalFilterProcPtr = Boolean (*)(DialogRef dialog, EventRecord* event,
                                       DialogItemIndex* itemHit);
using ModalFilterUPP = ModalFilterProcPtr;
inline ModalFilterUPP NewModalFilterUPP(ModalFilterProcPtr proc) { return proc; }
inline void DisposeModalFilterUPP(ModalFilterUPP) {}
using UserItemProcPtr = void (*)(DialogRef dialog, DialogItemIndex item);
using UserItemUPP = UserItemProcPtr;
inline UserItemUPP NewUserItemUPP(UserItemProcPtr proc) { return proc; }
inline void DisposeUserItemUPP(UserItemUPP) {}
inline DialogItemHandle UserItemHandle(UserItemUPP proc) { return reinterpret_cast<void*>(proc); }

// Result codes of the Dialog Manager.
enum : OSErr {
  dialogNotFoundErr = -192,  // the DLOG, ALRT or DITL resource is missing (resNotFound)
  dialogDamagedErr = -199,   // a resource does not hold what its layout says
};

// --- Dialogs --------------------------------------------------------------------------------

// A dialog from 'DLOG' dialogID and its 'DITL'. behind: (WindowRef)-1 in front, null at the
// back. Null when a resource is missing or damaged (GetDialogError says which). storage is
// not used.
DialogRef GetNewDialog(SInt16 dialogID, void* storage, WindowRef behind);
// A dialog from an item list handle (a 'DITL' image; the dialog keeps its own copy).
DialogRef NewDialog(void* storage, const Rect* boundsRect, ConstStr255Param title,
                    Boolean visible, SInt16 procID, WindowRef behind, Boolean goAwayFlag,
                    SRefCon refCon, Handle items);
// The same from items made in memory (the dialogs the platform lays out itself).
DialogRef NewDialogFromItems(const Rect* boundsRect, ConstStr255Param title, Boolean visible, SInt16 procID,
                             WindowRef behind, Boolean goAwayFlag, SRefCon refCon,
                             const std::vector<DialogItemTemplate>& items);
// Why the last GetNewDialog, NewDialog or Alert failed (noErr after a success).
OSErr GetDialogError();
// Disposes the dialog and its window (DisposeWindow of a dialog's window does the same).
void DisposeDialog(DialogRef dialog);
WindowRef GetDialogWindow(DialogRef dialog);
CGrafPtr GetDialogPort(DialogRef dialog);
DialogRef GetDialogFromWindow(WindowRef window);
Boolean IsValidDialog(DialogRef dialog);
// The font of text items in dialogs made from now on (0: the system font).
void SetDialogFont(SInt16 fontNum);

// --- Items ----------------------------------------------------------------------------------

DialogItemIndex CountDITL(DialogRef dialog);
void GetDialogItem(DialogRef dialog, DialogItemIndex item, DialogItemType* itemType,
                   DialogItemHandle* itemHandle, Rect* box);
// Changes an item's type, handle and rectangle. A user-item type with a procedure (or null)
// keeps the item's user pane (or replaces its control by one); a control handle becomes the
// item's control. The control follows the rectangle.
void SetDialogItem(DialogRef dialog, DialogItemIndex item, DialogItemType itemType,
                   DialogItemHandle itemHandle, const Rect* box);
OSErr GetDialogItemAsControl(DialogRef dialog, SInt16 itemNo, ControlRef* outControl);
// Text of a text item (static or edit; other controls: their title), by the item's handle.
void GetDialogItemText(DialogItemHandle item, Str255 text);
void SetDialogItemText(DialogItemHandle item, ConstStr255Param text);
// Focuses the edit item and selects start..end (clamped to the text).
void SelectDialogItemText(DialogRef dialog, DialogItemIndex itemNo, SInt16 strtSel, SInt16 endSel);
// The focused edit item, or 0.
DialogItemIndex GetDialogKeyboardFocusItem(DialogRef dialog);
void HideDialogItem(DialogRef dialog, DialogItemIndex itemNo);
void ShowDialogItem(DialogRef dialog, DialogItemIndex itemNo);
// The item (counting from 0) whose rectangle holds the local point, or -1.
DialogItemIndexZeroBased FindDialogItem(DialogRef dialog, Point thePt);
// Appends the items of a 'DITL' image (see the methods above); the window grows to show them.
void AppendDITL(DialogRef dialog, Handle theHandle, DITLMethod method);
// Removes the last numberItems items.
void ShortenDITL(DialogRef dialog, DialogItemIndex numberItems);
// Item 0 removes the default (cancel) item. The default button is drawn as such.
OSErr SetDialogDefaultItem(DialogRef dialog, DialogItemIndex newItem);
OSErr SetDialogCancelItem(DialogRef dialog, DialogItemIndex newItem);
DialogItemIndex GetDialogDefaultItem(DialogRef dialog);
DialogItemIndex GetDialogCancelItem(DialogRef dialog);
void DrawDialog(DialogRef dialog);
// Draws the items that meet the region (local coordinates).
void UpdateDialog(DialogRef dialog, RgnHandle updateRgn);

// --- Events ---------------------------------------------------------------------------------

// Runs the front dialog modally until an enabled item is hit (see above). itemHit is 0 when
// the front window is no dialog.
void ModalDialog(ModalFilterUPP filterProc, DialogItemIndex* itemHit);
// True for events that concern a dialog: clicks in a dialog window, keys and null events while
// a dialog is the front window, its updates and activation.
Boolean IsDialogEvent(const EventRecord* theEvent);
// Handles a dialog event; true with the dialog and item when an enabled item was hit.
Boolean DialogSelect(const EventRecord* theEvent, DialogRef* theDialog, DialogItemIndex* itemHit);
// Return/Enter press the default item, Escape/Command-period the cancel item; updates of the
// dialog are drawn. True when it reported an item.
Boolean StdFilterProc(DialogRef dialog, EventRecord* event, DialogItemIndex* itemHit);
ModalFilterUPP GetStdFilterProc();
