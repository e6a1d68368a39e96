// Finding the files that a song's references and its tracks' overview cache files name:
// the alias itself first (its absolute path, then its path relative to the song document),
// and only when that fails the file of the same name beside the song document, which the
// caller may test before it is taken. A reference found the second way is brought up to date.
#pragma once

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

// A test of a file found by name beside the song: true to take it.
using ReferenceCandidateTest = bool (*)(const FSSpec* candidate, void* data);

// Search rules of the two callers (kept for their meaning; the search itself is the alias's
// own resolution and the look beside the song).
constexpr uint32_t kOverviewAliasRules = 258;
constexpr uint32_t kMediaAliasRules = 1802;

// -43 for a null alias; 0 with the file in *spec; *changed when the reference was updated.
OSErr MatchReferenceAlias(uint32_t rules, Handle alias, FSSpec* spec, Boolean* changed,
                          ReferenceCandidateTest test, void* data);
// The file of the reference's name in the folder of the current song document: -43 when the
// alias is null, its name cannot be had, the song has no file or no such file opens there;
// else 0, *changed set and the reference updated.
OSErr FindFileBesideSong(Handle alias, FSSpec* spec, Boolean* changed);
// An overview cache file's alias (no user interface).
OSErr ResolveOverviewAlias(Handle alias, FSSpec* spec, Boolean* changed, ReferenceCandidateTest test, void* data);
// A media file's alias (no user interface), when a song's audio files are looked up and
// before unused media files are deleted.
OSErr ResolveMediaAlias(Handle alias, FSSpec* spec, ReferenceCandidateTest test, void* data);
