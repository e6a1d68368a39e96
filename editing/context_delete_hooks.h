// Clear in the windows that delete their own selection: the song list, the remote control,
// the instrument window, window kind 14, the jukebox, and the text commands of the text
// windows. The application fills the entries its windows provide; an empty entry deletes
// nothing.
#pragma once

#include <cstdint>

// The text windows' command that deletes their selection.
constexpr int32_t kTextCommandClear = 103;
// The jukebox's delete item.
constexpr int32_t kJukeboxDeleteItem = 1000;

struct ContextDeleteHooks {
  void (*deleteSelectedSongs)() = nullptr;
  void (*deleteRemoteSelection)(int16_t undoKind) = nullptr;
  void (*deleteInstrumentSelection)(int16_t undoKind) = nullptr;
  void (*deleteWindow14Selection)(int16_t undoKind) = nullptr;
  void (*runJukeboxItem)(int32_t item) = nullptr;
  void (*runTextCommand)(int32_t command) = nullptr;
};
extern ContextDeleteHooks gContextDeleteHooks;

void RunContextTextCommand(int32_t command);
// Clear in a context other than the track contexts (song list, conductor list, remote,
// instruments, markers, window kind 14, text windows, jukebox).
void DeleteInOtherWindow(int16_t undoKind);
