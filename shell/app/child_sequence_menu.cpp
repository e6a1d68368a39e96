#include "shell/app/child_sequence_menu.h"

#include "editors/song_list_drawing.h"
#include "editors/toolbar/child_sequence_button.h"
#include "editors/track_popup.h"
#include "shell/menus/menu_items.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/menu_building.h"
#include "song/model/song_context.h"
#include "song/model/song_iterators.h"

ControlRef gTrackChildSequenceButtons[2] = {};

namespace {

int32_t AppendChildName(void* arg) {
  Str255 name;
  GetSongListName(gCurrentSong, name);
  AppendMenuItemLiteral(static_cast<MenuRef>(arg), name);
  return 0;
}

}  // namespace

bool IsChildSequenceButton(ControlRef control) {
  return control && (control == gEditorChildSequenceButton || control == gTrackChildSequenceButtons[0] ||
                     control == gTrackChildSequenceButtons[1]);
}

void BuildChildSequenceMenu(ControlRef control) {
  MenuRef menu = nullptr;
  if (GetBevelButtonMenuHandle(control, &menu) != noErr || !menu) return;
  DeleteMenuItemsAfter(menu, 0);
  ForEachChildSequence(AppendChildName, menu);
}

bool TrackChildSequenceButton(ControlRef control, Point point, int16_t* paneIndexOut) {
  if (!IsChildSequenceButton(control)) return false;
  int32_t count = CountChildSequences();
  if (count != 0) BuildChildSequenceMenu(control);
  ControlPartCode part = TrackControl(control, point, nullptr);
  SInt16 item = 0;
  if (count != 0) {
    if (part == kControlButtonPart) return true;
    GetBevelButtonMenuValue(control, &item);
  }
  if (part == kControlNoPart) return true;
  RunTrackPopUpItem(int16_t(item - 1), 1, 0);
  if (paneIndexOut) *paneIndexOut = gCurrentPaneIndex;
  return true;
}
