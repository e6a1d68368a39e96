#include "shell/base/new_song_defaults.h"

NewSongDefaults gNewSongDefaults;
