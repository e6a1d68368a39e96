#include "media/import/source_movies.h"

#include "shell/base/progress_hooks.h"

namespace {

constexpr int32_t kWholeProgress = 0x10000;

OSErr FollowImportProgress(Movie, int16_t message, int16_t, int32_t percent, int32_t refCon) {
  switch (message) {
    case kMovieProgressOpen: BeginProgress(int16_t(refCon), kWholeProgress); return noErr;
    case kMovieProgressUpdatePercent: return ProgressAskedToStop(percent) ? OSErr(userCanceledErr) : OSErr(noErr);
    default: EndProgress(); return noErr;
  }
}

}  // namespace

OSErr OpenSourceMovie(const FSSpec* file, Movie* movie) {
  *movie = 0;
  int16_t refNum = 0;
  OSErr err = OpenMovieFile(file, &refNum, fsRdPerm);
  if (err != noErr) return err;
  err = NewMovieFromFile(movie, refNum, nullptr, nullptr, kNewMovieActive, nullptr);
  CloseMovieFile(refNum);
  return err;
}

void InstallImportProgress(Movie movie, int16_t message) { SetMovieProgressProc(movie, FollowImportProgress, message); }
