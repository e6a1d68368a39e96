// Attaching an audio file to a track: the file's entry in the song's media-file references
// (opened once, counted per attach), the track's audio record with the file's format, its
// first region over the whole file, the tempo of a loop, and the conversion of a file the
// engine cannot play into a new AIFF file.
#pragma once

#include <cstdint>

#include "media/import/media_file_names.h"
#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

// The user declined converting an unplayable file (or conversion is not available).
constexpr OSErr kUnplayableNotConvertedErr = 48;
// Progress messages of a conversion.
constexpr int16_t kProgressConvertingImport = 24;
constexpr int16_t kProgressConvertingUnplayable = 26;

// Region loop tempos inside this range mark the region as a loop (flag 0x0100).
constexpr float kLoopTempoMin = 24.0f;
constexpr float kLoopTempoMax = 300.0f;

// The file becomes (or reuses) a media-file entry, *index; see the options:
//   newTrack: the audio goes on a track prepared for it (PrepareImportTrack);
//   flags: the entry's flags when new (kMovieRefProgramMade for a converted file);
//   makeRegion: the track's first region covers the whole file;
//   alternate: the track's alternate audio record, with its instrument set up;
//   adoptTempo: a loop imported into a one-track song sets the song's tempo.
// On failure a newly opened fork is closed, a new alias disposed, a program-made source
// deleted and the new entry freed.
OSErr AttachMediaFile(const FSSpec* file, int32_t* index, bool newTrack, uint16_t flags, bool makeRegion,
                      bool alternate, bool adoptTempo);
// The longest file imported, in whole seconds (the document opener keeps it).
extern uint32_t gLongestImportSeconds;
void RaiseLongestImportSeconds(uint32_t seconds);
// Fills a region from the track audio's format: frames of entry refIndex from the start.
void InitAudioRegion(const uint8_t* trackAudio, uint8_t* region, uint64_t frames, int32_t refIndex, uint16_t flags);
// The loop tempo of a region of that many frames: the tempo at which it lasts 8 beats.
float RegionLoopTempo(uint64_t frames, float rate);
// Converts the source, whose format the 28-byte description gives, into a new AIFF file
// (out) through the AIFF exporter: -108 without a usable name, -192 without the exporter,
// -128 when the export is cancelled; any failure deletes the new file.
OSErr ConvertToPlayableAiff(const FSSpec* source, NewFileRecord* out, const uint8_t* description);
