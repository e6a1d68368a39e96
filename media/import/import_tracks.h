// The track that receives imported audio, and its name.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

// Device kinds that share outputs with the audio driver (a change between two of them, or
// between two kinds outside them, leaves the track's kind alone).
bool IsAudioGroupDeviceKind(uint8_t kind);
// The output an imported track takes: the remembered default device when it is an audio
// output, else the audio driver's first output.
void GetImportDeviceKind(uint8_t* kind, uint8_t* port);
// The current track's audio can be thrown away: it has no main track audio, or it is no
// audio track and has no region list, no plug-in chain and no regions.
bool IsCurrentTrackEmptyAudio();
// Makes the current track, or a new track appended to the song, the one that receives the
// import, with the device kind (see IsAudioGroupDeviceKind); -108 when no track could be made.
OSErr PrepareImportTrack(uint8_t deviceKind);
// The track's name becomes the file's name without its extension.
void SetTrackNameFromFile(uint8_t* track, const FSSpec* file);
void SetCurrentTrackNameFromFile(const FSSpec* file);
// The first track of the current song playing audio at that whole-hertz rate: its index, or
// -1; *songIndex the current song's index and *nextCount the song's track count + 1.
int32_t FindAudioTrackByRate(int32_t rate, int32_t* songIndex, int32_t* nextCount);
