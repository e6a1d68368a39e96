// What the sync of the song's movie asks of the movie a song has attached (media): whether one
// is attached, its time base's time, and setting its time and rate. Installed by the owner of
// the song movie; an entry not installed answers as a song without a movie.
// The clock task reads and sets the time; the main thread sets the rate.
#pragma once

#include <cstdint>

#include "sequencer/clock/time_code_values.h"

struct MovieSyncHooks {
  bool (*hasMovie)();
  // The movie's time base time as real time; false when it cannot be read.
  bool (*readMovieTime)(TimeValue* out);
  void (*setMovieTime)(const TimeValue& time);
  // The movie's rate and preferred rate (16.16).
  void (*setMovieRate)(int32_t rate);
};
extern MovieSyncHooks gMovieSyncHooks;

// Interim (not installed): no movie, nothing read, nothing set.
bool SongMovieAttached();
bool ReadMovieTime(TimeValue* out);
void SetMovieTimeValue(const TimeValue& time);
void SetMovieRate(int32_t rate);
