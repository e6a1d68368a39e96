// Iterators over the current song's tracks that the song model adds to ForEachTrack.
#pragma once

#include <cstdint>

#include "song/model/utility_iteration.h"

using TrackSearchCallback = int32_t (*)(void* arg, uint8_t* entry);

int32_t ForEachEventTrack(TrackCallback callback, void* arg);
int32_t ForEachDataTrack(TrackCallback callback, void* arg);
int32_t ForEachSelectedTrackEntry(TrackCallback callback, void* arg);
int32_t ForEachSelectedTrackBusy(TrackCallback callback, void* arg);
int32_t SearchSongTracks(TrackSearchCallback callback, void* arg);
int32_t SearchSelectedTracks(TrackSearchCallback callback, void* arg);
int32_t ForEachSelectedEventTrack(TrackCallback callback, void* arg);
int32_t ForEachTrackWithEvents(TrackCallback callback, void* arg);
int32_t ForEachSelectedTrack(TrackCallback callback, void* arg);
int32_t ForEachSelectedDataTrack(TrackCallback callback, void* arg);
int32_t ForEachSelectedTrackWithData(TrackCallback callback, void* arg);
int32_t ForEachTrackNumber(TrackCallback callback, void* arg, int32_t flag);
// The group members of the current track (its group byte, +138), or the track alone.
int32_t ApplyToTrackGroup(TrackSearchCallback callback, void* record);
