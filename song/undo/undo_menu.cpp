#include "song/undo/undo_menu.h"

#include "shell/base/app_strings.h"
#include "shell/base/undo_edit_menu.h"
#include "song/undo/undo_ring.h"

namespace {

// gStringBuffer takes the item text: the plain text, then the kind's name.
void BuildItemText(int16_t plainItem, int32_t kind) {
  gStringBuffer[0] = 0;
  AppendIndString(kUndoMenuTextList, plainItem);
  if (kind >= 0) AppendIndString(kUndoKindTextList, int16_t(kind));
}

}  // namespace

void UpdateUndoMenuItem() {
  if (!gEditMenu || !gUndoRing) return;
  BuildItemText(0, GetCurrentUndoKind());
  SetMenuItemText(gEditMenu, kEditUndoItem, gStringBuffer);
  if (gUndoRing->current != gUndoRing->head) {
    BuildItemText(1, UndoRecordAt(gUndoRing->current)->kind);
    SetMenuItemText(gEditMenu, kEditRedoItem, gStringBuffer);
  }
}

void ResetUndoMenuTexts() {
  if (!gEditMenu) return;
  BuildItemText(0, kNoUndoKind);
  SetMenuItemText(gEditMenu, kEditUndoItem, gStringBuffer);
  BuildItemText(1, kNoUndoKind);
  SetMenuItemText(gEditMenu, kEditRedoItem, gStringBuffer);
}
