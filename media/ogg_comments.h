// The tags and duration of an Ogg Vorbis file as the jukebox lists them.
#pragma once

#include <cstdint>

#include "platform/files/file_types.h"

// The fields of a jukebox entry that the comments fill.
struct OggEntryTags {
  Str63 title = {0};
  Str63 artist = {0};
  Str63 album = {0};
  int32_t year = 0;
  int32_t bitRate = 0;  // kbit/s
};

// The number of comment tag names matched ("Title", "Artist", "Album", "Year").
int16_t CountCommentTagNames();

// Reads the file's comments into the tags: a comment "KEY=value" (the key in any case, at the
// comment's start) gives the value in its own case, at most 63 characters; "Year" as a number.
// Also the bit rate. Answers the duration in seconds, 0.0 when the file cannot be opened or
// read as Ogg Vorbis (the tags then stay as they were).
float ReadOggComments(const FSSpec* file, OggEntryTags* tags);
