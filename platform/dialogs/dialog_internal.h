// The dialog record shared by the Dialog Manager's sources. Not for use outside
// platform/dialogs.
#pragma once

#include <vector>

#include "platform/dialogs/dialog_resources.h"
#include "platform/dialogs/dialogs.h"

constexpr UInt32 kDialogMagic = 0x444C4F47;  // 'DLOG'

struct DialogItemRecord {
  DialogItemType type = userItem;  // itemDisable included
  Rect rect;
  ControlRef control = nullptr;    // null only for help items
  UserItemUPP userProc = nullptr;
  SInt16 resourceID = 0;
  bool hidden = false;
};

// The icon an alert shows at its top left (none for plain dialogs).
enum class AlertIcon { kNone, kStop, kNote, kCaution };

struct OpaqueDialogPtr {
  UInt32 magic = kDialogMagic;
  WindowRef window = nullptr;
  std::vector<DialogItemRecord> items;
  DialogItemIndex defaultItem = 1;
  DialogItemIndex cancelItem = 0;
  SInt16 fontNum = 0;
  AlertIcon icon = AlertIcon::kNone;
  ControlRef iconPane = nullptr;
};

// --- Records (dialog_records.cpp) ---
bool IsLiveDialog(DialogRef dialog);
// A dialog record for a new (invisible) window, with the dialog background.
DialogRef MakeDialog(WindowRef window, bool alert);
// Creates the items' controls, each rectangle moved by offset; false (and nothing added) when
// a control cannot be made.
bool AddDialogItems(DialogRef dialog, const std::vector<DialogItemTemplate>& items, Point offset);
DialogItemRecord* DialogItemAt(DialogRef dialog, DialogItemIndex item);
// The item (from 1) whose control is control, or 0.
DialogItemIndex DialogItemOfControl(DialogRef dialog, ControlRef control);
void SetLastDialogError(OSErr err);
// Gives the item a user pane of its own in place of its control (which is disposed).
void ReplaceWithUserPane(DialogRef dialog, DialogItemIndex item);
// Shows the window and focuses the first edit item.
void FinishDialog(DialogRef dialog, bool visible);

// --- Items (dialog_items.cpp) ---
bool IsEnabledItem(const DialogItemRecord& item);
// Draws the button of the item pressed for a moment (a key chose it).
void FlashDialogItem(DialogRef dialog, DialogItemIndex item);

// --- Alerts (alerts.cpp) ---
void AddAlertIcon(DialogRef dialog, AlertIcon icon, const Rect& where);
