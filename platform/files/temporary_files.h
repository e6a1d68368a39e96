// The temporary files a save writes beside its target before putting it in place:
// ".zarin-tmp-save-<process id>-<n>" (folder listings leave them out). A save that is killed
// half-way leaves one behind; the next save into that folder removes it.
#pragma once

#include "platform/files/file_types.h"

constexpr const char* kSaveTempPrefix = ".zarin-tmp-save-";

// An unused temporary name in the folder of beside (which need not exist yet).
OSErr MakeSaveTempSpec(const FSSpec* beside, FSSpec* temp);
// Removes, from the folder of beside, the temporaries of that naming that nobody writes any
// more: those of processes that have ended and this process's own that no fork holds open.
// Answers how many went.
int32_t RemoveStaleSaveTemporaries(const FSSpec* beside);
