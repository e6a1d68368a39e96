#include "editing/editing_hooks.h"

#include "editing/clipboard_copies.h"
#include "editing/edit_commands.h"
#include "editing/event_clipboard.h"
#include "editing/event_filters.h"
#include "editing/marker_window.h"
#include "editing/transforms/note_event_dialog.h"
#include "editing/transforms/transform_menu.h"
#include "editors/key_command_hooks.h"
#include "editors/selection/selection_hooks.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/windows/window_activation.h"
#include "song/conductor/marker_window_hooks.h"
#include "song/model/clipboard_access_hooks.h"
#include "song/undo/clipboard_hooks.h"

namespace {

// The block the song model keeps while the clipboard is set aside: u32 clipboard, u32 song,
// u8 owned.
constexpr int32_t kSavedClipboard = 0;
constexpr int32_t kSavedSong = 4;
constexpr int32_t kSavedOwned = 8;
constexpr int32_t kSavedSize = 9;

Handle SaveClipboardForSong() {
  Handle block = NewHandleClear(kSavedSize);
  if (!block) return Handle();
  ClipboardState state;
  SaveClipboardState(&state);
  char* p = HandleData(block);
  WriteU32BE(p + kSavedClipboard, state.clipboard.id);
  WriteU32BE(p + kSavedSong, state.song.id);
  p[kSavedOwned] = char(state.owned);
  return block;
}

void RestoreClipboardForSong(Handle block) {
  const char* p = HandleData(block);
  ClipboardState state;
  state.clipboard = Handle(ReadU32BE(p + kSavedClipboard));
  state.song = Handle(ReadU32BE(p + kSavedSong));
  state.owned = uint8_t(p[kSavedOwned]);
  DisposeHandle(block);
  RestoreClipboardState(&state, false);
}

}  // namespace

void InstallEditingHooks() {
  gMarkerWindowHooks.markerDeleted = FollowMarkerDeletion;
  gUndoClipboardHooks.duplicateClipboard = CopyClipboardRecord;
  gUndoClipboardHooks.disposeClipboardCopy = DisposeClipboardRecord;
  gSongClipboardHooks.saveState = SaveClipboardForSong;
  gSongClipboardHooks.restoreState = RestoreClipboardForSong;
  gKeyCommandHooks.doEditMenuItem = [](int16_t item) { DoEditMenuItem(item); };
  gSelectionHooks.openNoteEventDialog = [](int32_t offset) { OpenNoteEventDialog(offset); };
  gKeyCommandHooks.doTransformShortcut = [](int16_t item, int16_t n) { DoTransformMenuItem(item, n); };
  gFrontWindowActivatedProc = UpdateEventFilters;
}
