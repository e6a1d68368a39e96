// Iterators over songs and child sequences, and the counts taken over them.
#pragma once

#include <cstdint>

#include "song/model/utility_iteration.h"

int32_t ForEachSong(TrackCallback callback, void* arg);
int32_t ForEachChildSequence(TrackCallback callback, void* arg);
int32_t ForEachChildSequenceAll(TrackCallback callback, void* arg);

struct SongVisitRecord;
using SongVisitCallback = int32_t (*)(SongVisitRecord* record);
constexpr uint32_t kVisitClipboardSong = 0x01;
struct SongVisitRecord {
  SongVisitCallback callback = nullptr;
  uint32_t flags = 0;
  void* data = nullptr;
};
// Every open song, and for each of its tracks with data, every child sequence, recursively;
// then the clipboard's song when asked.
void ForEachSongAndChild(SongVisitRecord* record);

int32_t CountChildSequences();

// Counts over the selected tracks (six words and their flag bytes).
struct SongStatistics {
  int32_t tracks = 0;
  int32_t silentTracks = 0;
  int32_t secondRegionTracks = 0;
  int32_t groupedTracks = 0;
  int32_t reserved[2] = {0, 0};
  uint8_t anyGroupedSecondRegion = 0;
  uint8_t anySections = 0;
  uint8_t anyEvents = 0;
  uint8_t anyChildren = 0;
  uint8_t anyDrumView = 0;
};
bool GatherSongStatistics(SongStatistics* stats);
