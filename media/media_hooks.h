// The media's side of the song's media hooks (song/model/media_hooks.h).
#pragma once

// Fills gSongMediaHooks. Called by InstallProgramHooks.
void InstallMediaHooks();
