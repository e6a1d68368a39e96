// The open, save and choose-folder dialogs every file command shares, on the Navigation
// Services calls (platform/navigation). Titles are the program's name ('STR ' 1000) and the
// dialog kind's item of 'STR#' 169; the line above the list comes from 'STR#' 149; dialog
// kinds 12 to 14 add a check box ('STR#' 150) whose state comes back in *choice. Cancelling
// answers userCanceledErr.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"
#include "song/documents/document_dialog_hooks.h"

// Save: a name and folder. An existing file is accepted only when its type is in the list;
// otherwise application error 44 is reported and returned.
OSErr RunNavPutFileDialog(const OSType* typeList, int16_t count, int16_t dialogKind,
                          ConstStr255Param defaultName, FSSpec* outSpec,
                          const FSSpec* defaultLocation, int16_t menuKind, OSType writer,
                          int32_t writerArg, bool* choice);
OSErr NavChooseFolderDialog(FSSpec* outSpec, int16_t dialogKind);

// Fills gDocumentDialogHooks: the documents' RunNavGetFileDialog and ChooseSaveFile open these
// dialogs, and ShowStopAlert the toolkit's stop alert.
void InstallDocumentDialogHooks();
