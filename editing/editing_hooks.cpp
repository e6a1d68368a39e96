#include "editing/editing_hooks.h"

#include "editing/clipboard_copies.h"
#include "editing/edit_commands.h"
#include "editing/event_filters.h"
#include "editing/marker_window.h"
#include "editors/key_command_hooks.h"
#include "shell/windows/window_activation.h"
#include "song/conductor/marker_window_hooks.h"
#include "song/undo/clipboard_hooks.h"

void InstallEditingHooks() {
  gMarkerWindowHooks.markerDeleted = FollowMarkerDeletion;
  gUndoClipboardHooks.duplicateClipboard = CopyClipboardRecord;
  gUndoClipboardHooks.disposeClipboardCopy = DisposeClipboardRecord;
  gKeyCommandHooks.doEditMenuItem = [](int16_t item) { DoEditMenuItem(item); };
  gFrontWindowActivatedProc = UpdateEventFilters;
}
