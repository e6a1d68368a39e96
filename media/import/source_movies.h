// A file opened as a movie for converting its sound, with the progress dialog following the
// conversion.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "platform/quicktime/movie_files.h"

// OpenMovieFile read-only, NewMovieFromFile active, CloseMovieFile: the movie or the error.
OSErr OpenSourceMovie(const FSSpec* file, Movie* movie);
// The movie's progress goes to the progress dialog with the message; Cancel stops the work.
void InstallImportProgress(Movie movie, int16_t message);
