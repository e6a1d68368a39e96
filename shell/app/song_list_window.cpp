#include "shell/app/song_list_window.h"

#include <algorithm>
#include <cstring>

#include "editors/key_command_hooks.h"
#include "editors/song_list_layout.h"
#include "editors/song_list_scroll.h"
#include "editors/song_list_settings.h"
#include "platform/menus/menus.h"
#include "platform/quickdraw/geometry.h"
#include "platform/quickdraw/ports.h"
#include "platform/windows/windows.h"
#include "shell/app/song_activation.h"
#include "shell/app/song_child_drop.h"
#include "shell/app/song_switch.h"
#include "shell/base/double_click.h"
#include "shell/base/error_report.h"
#include "shell/dialogs/name_dialog.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/menus/menu_items.h"
#include "shell/windows/editor_panes.h"
#include "shell/windows/gray_outline_drag.h"
#include "shell/windows/song_window_title.h"
#include "shell/windows/window_clicks.h"
#include "shell/windows/window_sizing.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/song_list_slots.h"
#include "song/model/song_slots.h"
#include "song/model/songs.h"
#include "song/model/window_redraw.h"

namespace {

constexpr int16_t kAddSlotItem = 1, kRemoveSongsItem = 2;
constexpr uint8_t kMaxSongName = 31;
constexpr int16_t kDragOutlineHeight = 31;

uint32_t gSongListClickTime = 0;

void RedrawList() { InvalAppWindowPort(&gSongListRecord); }

void AddSongSlot() {
  if (gSongCount >= kMaxSongSlots) {
    ReportError(kSongSlotsFullError);
    return;
  }
  OSErr err = SetSongSlotCount(gSongCount + 1);
  if (err != noErr) ReportError(err);
  RedrawList();
}

// The contextual menu; false when the click was not a contextual one.
bool ContextualClick(EventRecord* event) {
  MenuRef menu = GetMenu(kSongListMenuId);  // a fresh copy, given back after the choice
  int16_t item = HandleContextualMenuClick(event, menu, 0, 0, false);
  if (menu) DisposeMenu(menu);
  if (item < 0) return false;
  if (item == kAddSlotItem) AddSongSlot();
  else if (item == kRemoveSongsItem)
    RemoveSelectedSongs();  // the Edit menu's clear does not reach the song list yet: it removes them itself
  return true;
}

// A click in the header: the play-mode buttons, the settings button, the time-mode area.
bool HeaderClick(Point local) {
  int16_t button = FindSongListButton(local);
  Rect modeArea = GetSongListTimeHeaderRect();
  if (button == kSongListStateButton || button == kSongListChainButton) ToggleSongListPlayMode(button);
  else if (button == kSongListSettingsButton) EditSongListSettings();
  else if (PtInRect(local, &modeArea)) CycleSongListTimeMode();
  else return local.v < kSongListHeaderHeight;
  RedrawList();
  return true;
}

// Option-click: the current song's name in the small name editor over its row.
void RenameCurrentSong(int32_t slot) {
  if (!gCurrentSong) return;
  Point where{int16_t(GetSongListRowTop(slot)), 0};
  if (gSongListRecord.window) QDLocalToGlobalPoint(GetWindowPort(gSongListRecord.window), &where);
  Str255 name;
  name[0] = std::min(gCurrentSong[kSongName], kMaxSongName);
  std::memcpy(name + 1, gCurrentSong + kSongName + 1, name[0]);
  if (!EditNameInDialog(where, name, kMaxSongName)) return;
  std::memset(gCurrentSong + kSongName, 0, kMaxSongName + 1);
  std::memcpy(gCurrentSong + kSongName, name, size_t(name[0]) + 1);
  SetSongModified();
  SetSongWindowTitle();
  RedrawList();
}

void RowClick(int32_t slot, Point local, EventRecord* event) {
  bool wasCurrent = slot == gCurrentSongIndex && gCurrentSong;
  bool twice = IsDoubleClick(&gSongListClickTime);
  if (ActivateSongSlot(slot) != noErr) return;
  SelectSongListRows(slot, event ? event->modifiers : 0);
  RedrawList();
  if (event && (event->modifiers & optionKey)) RenameCurrentSong(slot);
  else if (twice && wasCurrent) BringWindowOfKindToFront(kTrackWindowKind);
  else if (event && WaitMouseMoved(event->where)) MoveSongsByDrag(local);
}

void MoveSongListSelection(int16_t direction) { StepCurrentSong(direction); }

}  // namespace

int32_t ClickSongListWindow(AppWindow*, Point local, EventRecord* event) {
  if (HeaderClick(local)) return 1;
  if (event && ContextualClick(event)) return 1;
  int32_t slot = FindSongListSlot(local);
  if (slot >= 0) RowClick(slot, local, event);
  return 1;
}

OSErr ActivateSongSlot(int32_t slot) {
  if (slot < 0 || slot >= std::min(gSongCount, kMaxSongSlots)) return paramErr;
  int32_t previous = gCurrentSongIndex;
  SelectSongIndex(slot);
  if (!gCurrentSong && gSectionMode) {
    SelectSongIndex(previous);
    return paramErr;
  }
  bool made = !gCurrentSong;
  OSErr err = made ? MakeSongInEmptySlot() : OSErr(noErr);
  if (err != noErr) {
    ReportError(err);
    SelectSongIndex(0);
  } else if (made) {
    ResetSongPaneTable();  // the new song starts with one pane on the current lane
  }
  UpdateSongLinkFlags();
  RefreshAfterSongSwitch(1);
  ScrollSongListToCurrent();
  RedrawList();
  return err;
}

void SelectSongSlot(int32_t slot) {
  SelectSongIndex(slot);
  ActivateCurrentSong(true);
}

void StepCurrentSong(int16_t delta) {
  int32_t slot = FindSteppedSongSlot(gCurrentSongIndex, delta);
  if (slot != gCurrentSongIndex) ActivateSongSlot(slot);
}

void RemoveSelectedSongs() {
  int32_t slot = DisposeSelectedSongs();
  if (slot < 0) return;
  MarkSongSlotSelected(slot);
  ActivateSongSlot(slot);
}

namespace {

// The main editor's local point of a point of the list, when it lies in the editor.
bool EditorPointOf(Point listLocal, Point* editorLocal) {
  WindowRef editor = gMainEditorRecord.window;
  Rect content;
  if (!editor || !gSongListRecord.window || !IsWindowVisible(editor) ||
      GetWindowBounds(editor, kWindowContentRgn, &content) != noErr)
    return false;
  Point global = listLocal;
  QDLocalToGlobalPoint(GetWindowPort(gSongListRecord.window), &global);
  if (!PtInRect(global, &content)) return false;
  *editorLocal = Point{int16_t(global.v - content.top), int16_t(global.h - content.left)};
  return true;
}

void DropRows(int32_t row) {
  OSErr err = MoveSelectedSongsToRow(row);
  if (err != noErr) {
    ReportError(err);
    return;
  }
  ActivateSongSlot(row);
}

}  // namespace

void MoveSongsByDrag(Point local) {
  WindowRef window = gSongListRecord.window;
  if (!window) return;
  Rect bounds;
  GetWindowPortBounds(window, &bounds);
  int32_t dragged = gCurrentSongIndex;
  int16_t top = int16_t(local.v - kDragOutlineHeight / 2);
  Rect outline{top, bounds.left, int16_t(top + kDragOutlineHeight), bounds.right};
  const Rect kAnywhere{-16000, -16000, 16000, 16000};  // the rows may be dropped on the editor
  int32_t offset = DragGrayOutline(outline, local, kAnywhere, kAnywhere, 0);
  int16_t dv = int16_t(uint32_t(offset) >> 16), dh = int16_t(offset & 0xFFFF);
  if (dv == kOutlineDragCancelled || (dv == 0 && dh == 0)) return;
  Point end{int16_t(local.v + dv), int16_t(local.h + dh)}, editorLocal;
  if (EditorPointOf(end, &editorLocal)) {
    AddSongAsChildOfTrack(dragged, editorLocal, (GetCurrentKeyModifiers() & optionKey) != 0);
    return;
  }
  if (!PtInRect(end, &bounds) || end.v < kSongListHeaderHeight) return;
  DropRows((end.v - kSongListHeaderHeight) / std::max<int16_t>(gSongListRowHeight, 1) + GetSongListScroll());
}

void InstallSongListWindow() {
  SetWindowClickProc(kSongListKind, ClickSongListWindow);
  gKeyCommandHooks.moveSongListSelection = MoveSongListSelection;
}
