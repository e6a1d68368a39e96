// The media's side of the song's media hooks (song/model/media_hooks.h).
#pragma once

// Fills gSongMediaHooks and the engine's Ogg decoder entry of gStreamMediaHooks. Called by
// InstallProgramHooks.
void InstallMediaHooks();
