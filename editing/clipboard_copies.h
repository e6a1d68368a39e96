// Interim: the clipboard's own copy and disposal of its record, as undo steps keep it
// (through the undo's clipboard hooks). The record is duplicated; for instrument data
// (kind 3) the copied instrument table is duplicated as well, each table record with its
// own rack and assignment handles.
#pragma once

#include "platform/memory/mac_types.h"

// A copy of the clipboard record, or 0 with *err set when memory is short (nothing leaks).
Handle CopyClipboardRecord(Handle clipboard, OSErr* err);
// Frees a clipboard record with the instrument table it holds; clears *clipboard.
void DisposeClipboardRecord(Handle* clipboard);
