// What importing audio asks of the windows and menus above it: the question whether to
// convert a file the engine cannot play, the folder chooser for new media files, the track
// list's refresh, the recent audio files list, the edit context of the imported region and
// the sync mode. Installed at start-up (InstallProgramHooks); an entry not installed gives
// the answer written beside it. Main thread.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

struct MediaImportHooks {
  int16_t (*askToConvertFile)(ConstStr255Param name);  // alert 561: item 1 converts
  OSErr (*chooseMediaFolder)(FSSpec* folder, int16_t prompt);
  void (*refreshTrackList)(int16_t trackNumber);
  void (*rememberAudioFile)(const FSSpec* file);
  void (*selectAudioEditContext)();                    // the edit context of audio regions (2)
  void (*updateSyncMode)();
};
extern MediaImportHooks gMediaImportHooks;

// The alert that asks whether to convert a file the engine cannot play.
constexpr int16_t kConvertUnplayableAlert = 561;
constexpr int16_t kConvertAnswer = 1;

// Not installed: 2 (the file is not converted).
int16_t AskToConvertFile(ConstStr255Param name);
// Not installed: -128 (no folder chosen).
OSErr ChooseMediaFolder(FSSpec* folder, int16_t prompt);
// Not installed: nothing.
void RefreshImportTrackList(int16_t trackNumber);
void RememberAudioFile(const FSSpec* file);
void SelectAudioEditContext();
void UpdateImportSyncMode();
