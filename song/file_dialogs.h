// The open, save and choose-folder dialogs every file command shares.
//
// Interim: the dialogs come with the dialog toolkit. Until then each of them answers as if
// the user cancelled (userCanceledErr), so that every caller's cancel path is the one taken.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

// Dialog kinds that add a choice of their own (a yes/no answer in *choice).
constexpr int16_t kSaveAsBundleDialogKind = 12;
constexpr int16_t kOpenDialogKind = 1;
constexpr int16_t kSaveDialogKind = 2;

OSErr RunNavGetFileDialog(int16_t count, const OSType* typeList, FSSpec* outSpec,
                          int16_t dialogKind, uint32_t flags);
OSErr RunNavPutFileDialog(const OSType* typeList, int16_t count, int16_t dialogKind,
                          ConstStr255Param defaultName, FSSpec* outSpec,
                          const FSSpec* defaultLocation, int16_t menuKind, OSType writer,
                          int32_t writerArg, bool* choice);
// The save dialog for one file type.
OSErr ChooseSaveFile(OSType type, int16_t dialogKind, ConstStr255Param defaultName,
                     FSSpec* outSpec, bool* choice);
OSErr NavChooseFolderDialog(FSSpec* outSpec, int16_t dialogKind);
