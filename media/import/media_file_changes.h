// Referenced media files changed by another program while this one was in the background:
// their sizes are recorded on suspend and compared on resume.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// A referenced media file changed while the program was in the background.
constexpr OSErr kMediaFileChangedErr = 113;

// The recorded sizes: count x 8 bytes, or none between a resume and the next suspend.
extern Handle gMediaFileSizes;

// On suspend: the size of each entry's file (entries with an alias and an open fork), unless
// sizes are recorded already, the list is empty or the song is being loaded.
void RecordMediaFileSizes();
// On resume: every entry with an alias, an open fork and not unresolved is found again and
// its file's size compared with the recorded one; a difference is reported (113). The sizes
// are dropped either way.
void CheckMediaFilesUnchanged();
