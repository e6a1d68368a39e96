// Opening a file by its kind: song documents, MIDI files, dumps, audio files and movies.
#pragma once

#include "platform/files/files.h"

// mode 0 plain, 1 forced through the deferred path, 2 never deferred; arg goes to importers.
OSErr OpenDocumentSpec(const FSSpec* spec, int16_t mode, int32_t arg);
