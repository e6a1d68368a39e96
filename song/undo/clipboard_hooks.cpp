#include "song/undo/clipboard_hooks.h"

#include <cstdio>

UndoClipboardHooks gUndoClipboardHooks;

Handle DuplicateClipboardForUndo(Handle clipboard, OSErr* err) {
  *err = noErr;
  if (gUndoClipboardHooks.duplicateClipboard)
    return gUndoClipboardHooks.duplicateClipboard(clipboard, err);
  if (clipboard) std::fprintf(stderr, "undo: no clipboard copy installed, clipboard not kept\n");
  return Handle();
}

void DisposeClipboardCopy(Handle* clipboard) {
  if (gUndoClipboardHooks.disposeClipboardCopy) gUndoClipboardHooks.disposeClipboardCopy(clipboard);
}
