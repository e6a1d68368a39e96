#include "media/undo_jukebox.h"

// Interim: no jukebox yet.
bool IsJukeboxPlaying() { return false; }
