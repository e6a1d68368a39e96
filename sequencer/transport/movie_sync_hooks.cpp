#include "sequencer/transport/movie_sync_hooks.h"

MovieSyncHooks gMovieSyncHooks = {};

bool SongMovieAttached() { return gMovieSyncHooks.hasMovie && gMovieSyncHooks.hasMovie(); }

bool ReadMovieTime(TimeValue* out) {
  return SongMovieAttached() && gMovieSyncHooks.readMovieTime && gMovieSyncHooks.readMovieTime(out);
}

void SetMovieTimeValue(const TimeValue& time) {
  if (SongMovieAttached() && gMovieSyncHooks.setMovieTime) gMovieSyncHooks.setMovieTime(time);
}

void SetMovieRate(int32_t rate) {
  if (SongMovieAttached() && gMovieSyncHooks.setMovieRate) gMovieSyncHooks.setMovieRate(rate);
}
