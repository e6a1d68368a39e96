// Interim: the jukebox's play state as the playback reset asks for it; the jukebox does not
// exist yet, so it never plays.
#pragma once

bool IsJukeboxPlaying();
