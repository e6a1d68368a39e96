#include "song/prefs/new_song_defaults.h"

// Interim: zero defaults until the preferences file fills them in.
NewSongDefaults gNewSongDefaults;
