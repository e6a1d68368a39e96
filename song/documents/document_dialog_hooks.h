// What opening and saving documents ask of the dialogs: the open and save file dialogs and
// the alert that a file could not be opened. Installed by the song's dialogs at start-up
// (InstallDocumentDialogHooks). Not installed, a file dialog answers userCanceledErr (as if
// the user cancelled it) and an alert is written to stderr instead.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

// Dialog kinds that add a choice of their own (a yes/no answer in *choice).
constexpr int16_t kSaveAsBundleDialogKind = 12;
constexpr int16_t kOpenDialogKind = 1;
constexpr int16_t kSaveDialogKind = 2;

struct DocumentDialogHooks {
  // Main thread, all of them.
  OSErr (*getFile)(int16_t count, const OSType* typeList, FSSpec* outSpec, int16_t dialogKind,
                   uint32_t flags);
  OSErr (*chooseSaveFile)(OSType type, int16_t dialogKind, ConstStr255Param defaultName,
                          FSSpec* outSpec, bool* choice);
  int16_t (*showStopAlert)(int16_t alertId);
};
extern DocumentDialogHooks gDocumentDialogHooks;

// Open: a file whose type (as the open dispatch sees it) is in the list.
OSErr RunNavGetFileDialog(int16_t count, const OSType* typeList, FSSpec* outSpec,
                          int16_t dialogKind, uint32_t flags);
// The save dialog for one file type.
OSErr ChooseSaveFile(OSType type, int16_t dialogKind, ConstStr255Param defaultName,
                     FSSpec* outSpec, bool* choice);
// The stop alert alertId with the texts set by ParamText; answers the item hit (0 when not
// installed).
int16_t ShowStopAlert(int16_t alertId);
