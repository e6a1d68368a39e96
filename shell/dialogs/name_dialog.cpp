#include "shell/dialogs/name_dialog.h"

#include <algorithm>
#include <cstring>

#include "platform/dialogs/dialogs.h"
#include "platform/windows/windows.h"
#include "shell/dialogs/dialog_controls.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/dialog_toolkit.h"

namespace {

constexpr int16_t kNameDialogId = 573;
constexpr int16_t kNameItem = 1, kAcceptItem = 2, kCancelItem = 3;

}  // namespace

bool EditNameInDialog(Point globalTopLeft, Str255 name, uint8_t maxLength) {
  if (!OpenDialogById(kNameDialogId)) return false;
  SetDialogItemString(name, kNameItem);
  ShowCurrentDialogAt(&globalTopLeft);
  SetDialogDefaultItem(gCurrentDialog, kAcceptItem);
  SetDialogCancelItem(gCurrentDialog, kCancelItem);
  SelectDialogItemAllText(kNameItem);
  int16_t item = 0;
  do item = RunModalDialog();
  while (item != kAcceptItem && item != kCancelItem && item != 0);
  bool accepted = item == kAcceptItem;
  if (accepted) {
    StringPtr text = GetDialogItemString(kNameItem);
    name[0] = std::min(text[0], maxLength);
    std::memmove(name + 1, text + 1, name[0]);
  }
  CloseCurrentDialog();
  return accepted;
}
