// What the undo steps ask of the clipboard: its own copy and disposal of its record, which
// an undo step keeps. Installed by the editing at start-up (InstallEditingHooks); an entry
// not installed does nothing. Main thread only.
#pragma once

#include "platform/memory/mac_types.h"

struct UndoClipboardHooks {
  Handle (*duplicateClipboard)(Handle clipboard, OSErr* err);
  void (*disposeClipboardCopy)(Handle* clipboard);
};
extern UndoClipboardHooks gUndoClipboardHooks;

// A copy of the clipboard record, or 0 with *err set when memory is short (nothing leaks).
// Not installed: 0 with *err noErr, and a line on stderr when there was a clipboard to keep.
Handle DuplicateClipboardForUndo(Handle clipboard, OSErr* err);
// Frees a clipboard record with what it holds; clears *clipboard.
void DisposeClipboardCopy(Handle* clipboard);
