#include "shell/app/song_list_state_dump.h"

#include "editors/song_list_settings.h"

void AppendSongListStateDump(std::string* out) {
  const SongListSettings& s = gSongListSettings;
  *out += "songlist " + std::to_string(s.playMode) + " " + std::to_string(s.pause) + " " +
          std::to_string(s.flags) + " " + std::to_string(s.timeMode) + "\n";
}
