// Movie files: opening any file FFmpeg can read (audio files of every kind and the sound of
// movie files) as a movie, its time scale and duration, a progress procedure, and converting
// the movie's sound into a new AIFF file (ConvertMovieToFile, and the AIFF movie export
// component of movie_export.h). A movie is a 32-bit id (0 none); the main thread only.
#pragma once

#include <cstdint>

#include "platform/files/file_types.h"
#include "platform/memory/mac_types.h"

using Movie = uint32_t;
using MovieTrack = uint32_t;  // a movie's track; 0 stands for the whole movie

// Movie Toolbox result codes.
constexpr OSErr kNoMovieFoundErr = -2048;        // the file holds no movie or no sound
constexpr OSErr kInvalidMovieErr = -2010;        // not an open movie
constexpr OSErr kMovieFileNotOpenErr = -2044;    // not an open movie file

constexpr int16_t kNewMovieActive = 1;

// ConvertMovieToFile flags.
constexpr int32_t kCreateMovieFileDeleteCurFile = int32_t(0x80000000u);
constexpr int32_t kMovieToFileOnlyExport = 0x00000002;
constexpr int32_t kMovieFileSpecValid = 0x00000004;
constexpr int32_t kShowUserSettingsDialog = 0x00000002;

// Progress messages and the operation code of a conversion.
constexpr int16_t kMovieProgressOpen = 0;
constexpr int16_t kMovieProgressUpdatePercent = 1;
constexpr int16_t kMovieProgressClose = 2;
constexpr int16_t kProgressOpFlatten = 1;

// A movie's progress procedure: percent is 16.16 fixed (0x10000 for all of it). A non-zero
// answer stops the work, which then answers -128.
using MovieProgressProc = OSErr (*)(Movie movie, int16_t message, int16_t operation, int32_t percent,
                                    int32_t refCon);

// Opens the file for reading as a movie file: fnfErr for a missing file.
OSErr OpenMovieFile(const FSSpec* fileSpec, int16_t* resRefNum, int8_t permission);
OSErr CloseMovieFile(int16_t resRefNum);
// The movie of an open movie file: -2048 when the file holds no sound FFmpeg can decode.
OSErr NewMovieFromFile(Movie* movie, int16_t resRefNum, int16_t* resId, StringPtr resName, int16_t flags,
                       Boolean* dataRefWasChanged);
void DisposeMovie(Movie movie);
// The result of the last Movie Toolbox call of this thread.
OSErr GetMoviesError();

// The movie's time scale (units a second: its sound's sample rate) and duration in them.
int32_t GetMovieTimeScale(Movie movie);
int32_t GetMovieDuration(Movie movie);
// The sound's channel count and sample size in bits as the file stores it (16 for compressed
// sound), 0 for a movie that is not open.
int16_t GetMovieSoundChannels(Movie movie);
int16_t GetMovieSoundSampleSize(Movie movie);
void SetMovieProgressProc(Movie movie, MovieProgressProc proc, int32_t refCon);

// Writes the movie's sound as a new AIFF file (fileType 'AIFF') of the sound's own channels,
// rate and sample size (16 bits for compressed sound). With kCreateMovieFileDeleteCurFile an
// existing file is replaced. The settings dialog is not shown: the sound's own settings are
// what a user keeps. Any failure deletes the new file.
OSErr ConvertMovieToFile(Movie movie, MovieTrack onlyTrack, const FSSpec* outputFile, OSType fileType,
                         OSType creator, int16_t scriptTag, int16_t* resId, int32_t flags, uint32_t exporter);

// The writer both conversions share: the movie's sound from start for duration (time-scale
// units; -1 to its end) as AIFF into a new file of that creator, with that many channels,
// bits and rate; replace: an existing file is replaced (else dupFNErr).
OSErr WriteMovieSoundAsAiff(Movie movie, const FSSpec* outputFile, int16_t channels, int16_t bits,
                            double rate, int32_t start, int32_t duration, OSType creator, bool replace);
