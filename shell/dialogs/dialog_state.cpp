#include "shell/dialogs/dialog_state.h"

DialogRef gCurrentDialog = nullptr;
int16_t gDialogItemType = 0;
DialogItemHandle gDialogItemHandle = nullptr;
Rect gDialogItemRect = {0, 0, 0, 0};
int16_t gDialogItemHit = 0;
int16_t gDialogIdBase = 0;
uint32_t gDialogBusy = 0;
uint16_t gDialogFontId = 0;
uint32_t gDialogFocusItem = 0;
int16_t gDialogHelpTopic = 0;
uint16_t gDialogKeyFlags = 0;
int16_t gDialogEscapeItem = 2;
uint64_t gDialogCaptureStart = 0;
DialogItemList gArrowButtons;
DialogItemList gClickReportItems;
DialogRef gFilterDialog = nullptr;
EventRecord* gFilterEvent = nullptr;
DialogItemIndex* gFilterItemHit = nullptr;
uint32_t gLastMouseTicks = 0;
DialogFilterHook gDialogFilterHook = nullptr;
DialogRef gNestedDialogs[kMaxNestedDialogs] = {};
int16_t gNestedDialogDepth = 0;
uint32_t gDialogSharedState = 0;

bool AddDialogListItem(DialogItemList* list, int16_t item) {
  if (list->count >= kDialogItemListSize) return false;
  list->items[list->count++] = item;
  return true;
}

void ResetDialogState() {
  gCurrentDialog = nullptr;
  gDialogItemType = 0;
  gDialogItemHandle = nullptr;
  gDialogItemRect = Rect{0, 0, 0, 0};
  gDialogItemHit = 0;
  gDialogIdBase = 0;
  gDialogBusy = 0;
  gDialogFocusItem = 0;
  gDialogHelpTopic = 0;
  gDialogKeyFlags = 0;
  gArrowButtons = DialogItemList{};
  gClickReportItems = DialogItemList{};
  gDialogFilterHook = nullptr;
  gNestedDialogDepth = 0;
  for (DialogRef& d : gNestedDialogs) d = nullptr;
}
