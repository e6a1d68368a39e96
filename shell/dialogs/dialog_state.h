// The state of the one current classic dialog. Every dialog helper works on gCurrentDialog
// and addresses items relative to the page base gDialogIdBase, so that a dialog built of
// appended item lists can use the same page code for every page. ShowAlert and
// RunNestedDialogCall save and restore this state around an inner dialog.
#pragma once

#include <cstdint>

#include "platform/dialogs/dialogs.h"

// The current dialog, null when none.
extern DialogRef gCurrentDialog;
// The item last read by GetCurrentDialogItem: its type, handle (the ControlRef of control
// items) and rectangle.
extern int16_t gDialogItemType;
extern DialogItemHandle gDialogItemHandle;
extern Rect gDialogItemRect;
// The item reported by the last ModalDialog (nib dialogs: the low 16 bits of the command).
extern int16_t gDialogItemHit;
// Added to page-relative item numbers; cleared by open and close.
extern int16_t gDialogIdBase;
// Non-zero while a modal dialog or alert runs (the menus consult it).
extern uint32_t gDialogBusy;
extern uint16_t gDialogFontId;
// The active text item (page-relative for classic dialogs, the field id for nib dialogs).
extern uint32_t gDialogFocusItem;
// Help topic of the current dialog: its DLOG id.
extern int16_t gDialogHelpTopic;

enum : uint16_t {
  kDialogKeysHandled = 0x100,   // Return, Enter, Escape and Tab are handled by the filter
  kDialogKeyCapture = 0x200,    // keys are captured, not mapped to items
  kDialogCaptureRunning = 0x400,
  kDialogCaptureNote = 0x800,   // a captured note asks for item 4
  kDialogTabPassed = 0x1000,    // a tab went to the text field
};
extern uint16_t gDialogKeyFlags;
// The item Escape presses while the filter handles keys: 2 unless an alert's item 2 does
// something that must not happen by accident.
extern int16_t gDialogEscapeItem;
// When the running capture started, in microseconds.
extern uint64_t gDialogCaptureStart;

// A short list of page items: the arrow buttons of number and note fields, and the items
// that report a click inside them.
constexpr int kDialogItemListSize = 3;
struct DialogItemList {
  uint8_t count = 0;
  int16_t items[kDialogItemListSize] = {};
};
extern DialogItemList gArrowButtons;
extern DialogItemList gClickReportItems;
// Appends a page item; false (nothing changes) when the list is full.
bool AddDialogListItem(DialogItemList* list, int16_t item);

// What the filter procedure was last called with, and the TickCount of the call.
extern DialogRef gFilterDialog;
extern EventRecord* gFilterEvent;
extern DialogItemIndex* gFilterItemHit;
extern uint32_t gLastMouseTicks;

// The routine the filter procedure calls for every event; true when it reported an item
// through gFilterItemHit.
using DialogFilterHook = bool (*)();
extern DialogFilterHook gDialogFilterHook;

// The nested-dialog stack: dialogs that stay current underneath an inner one.
constexpr int16_t kMaxNestedDialogs = 4;
extern DialogRef gNestedDialogs[kMaxNestedDialogs];
extern int16_t gNestedDialogDepth;
// One further dialog state word shared with the plug-in and device dialogs.
extern uint32_t gDialogSharedState;

// Forgets every dialog (tests and start-up).
void ResetDialogState();
