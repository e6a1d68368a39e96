// Movie export components: the one this system has is the AIFF sound exporter (type 'spit',
// subtype 'AIFF', manufacturer 'soun'). It takes a 36-byte sound description (channels,
// sample size, 16.16 rate) and writes a movie's sound as an AIFF file of that format. The
// exporters are found and opened by calls of their own (the plug-in component layer owns the
// general component calls). Main thread only.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/quicktime/movie_files.h"

using MovieExporterComponent = uint32_t;  // 0 none
using MovieExporter = uint32_t;           // an open exporter; 0 none

struct MovieExporterDescription {
  OSType componentType = 0;
  OSType componentSubType = 0;
  OSType componentManufacturer = 0;
  uint32_t componentFlags = 0;
  uint32_t componentFlagsMask = 0;
};

constexpr OSType kMovieExportType = FourCC("spit");
constexpr OSType kSoundMediaType = FourCC("soun");
constexpr OSErr kBadComponentInstance = int16_t(0x8000 | 8);  // -32760
constexpr OSErr kNoExportComponentErr = -192;

// The 36-byte sound description (big-endian): +0 u32 size, +4 format, +24 i16 channels,
// +26 i16 sample size, +32 u32 rate (16.16).
constexpr int32_t kSoundDescriptionSize = 36;
constexpr int32_t kSoundDescriptionFormat = 4;
constexpr int32_t kSoundDescriptionChannels = 24;
constexpr int32_t kSoundDescriptionSampleSize = 26;
constexpr int32_t kSoundDescriptionRate = 32;

// The next component after `after` (0: the first) that the description matches (0 fields
// match anything; flags compared under the mask); 0 when none.
MovieExporterComponent FindNextMovieExporter(MovieExporterComponent after, const MovieExporterDescription* looking);
MovieExporter OpenMovieExporter(MovieExporterComponent component);
OSErr CloseMovieExporter(MovieExporter instance);

// The format the exporter writes; -50 for a description of another media type or too short.
OSErr MovieExportSetSampleDescription(MovieExporter instance, Handle description, OSType mediaType);
// No settings dialog exists: the format stays as set, and nothing is cancelled.
OSErr MovieExportDoUserDialog(MovieExporter instance, Movie movie, MovieTrack onlyTrack, int32_t start,
                              int32_t duration, Boolean* canceled);
// Writes the movie's sound from start for duration (its time scale) into the file, which
// exists already (it is replaced). Any failure deletes it.
OSErr MovieExportToFile(MovieExporter instance, const FSSpec* file, Movie movie, MovieTrack onlyTrack,
                        int32_t start, int32_t duration);
