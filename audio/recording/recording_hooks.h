// What recording asks of the media layer: a file name for a new take (a name not taken yet in
// the media folder) and a new audio record for a track that has none. Media installs the table
// at start-up (InstallMediaHooks); an entry not installed gives the answer noted at it.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

struct RecordingMediaHooks {
  // The FSSpec of a new file of that name and extension (".aif" or ".caf") in the media
  // folder, never one that exists; -128 when the user gives none. Not installed: a name not
  // taken yet in the record folder (record_files.h).
  OSErr (*chooseRecordFile)(ConstStr255Param name, ConstStr255Param extension, FSSpec* file);
  // A new audio record in the current track's main slot. Not installed: a cleared record.
  OSErr (*newTrackAudio)();
};
extern RecordingMediaHooks gRecordingMediaHooks;

// Fills gEnginePrepareHooks (record inputs around the engine's preparation and stop) and the
// transport's start of takes while playing with recording's entries.
void InstallRecordingHooks();
