#include "editing/edit_window_hooks.h"

#include "song/model/song_context.h"
#include "song/model/utility_track_access.h"

EditWindowHooks gEditWindowHooks;

void SendTextWindowCommand(uint32_t command) {
  if (gEditWindowHooks.textWindowCommand) gEditWindowHooks.textWindowCommand(command);
}

void SendJukeboxEditItem(int16_t item) {
  if (gEditWindowHooks.jukeboxEditItem) gEditWindowHooks.jukeboxEditItem(item);
}

void ActivateSelectedSong() {
  if (gEditWindowHooks.activateSelectedSong) {
    gEditWindowHooks.activateSelectedSong();
    return;
  }
  SelectSongIndex(gCurrentSongIndex);
  UpdateCurrentTrackPtr();
}
