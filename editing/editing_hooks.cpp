#include "editing/editing_hooks.h"

#include "editing/clipboard_copies.h"
#include "editing/marker_window.h"
#include "song/conductor/marker_window_hooks.h"
#include "song/undo/clipboard_hooks.h"

void InstallEditingHooks() {
  gMarkerWindowHooks.markerDeleted = FollowMarkerDeletion;
  gUndoClipboardHooks.duplicateClipboard = CopyClipboardRecord;
  gUndoClipboardHooks.disposeClipboardCopy = DisposeClipboardRecord;
}
