// File specifications as the media code compares, resolves and names them.
#pragma once

#include "platform/files/files.h"

bool IsSameFileSpec(const FSSpec* a, const FSSpec* b);
OSErr ResolveAliasNoUI(Handle alias, FSSpec* fileSpec, Boolean* wasChanged);
// The item's full HFS-style path ("Disk:folder:name") as a length-prefixed string.
OSErr GetSpecHfsPath(const FSSpec* fileSpec, StringPtr path, int16_t bufferSize);
// Moves the last colon-separated component of path into name; path keeps its parent.
int16_t SplitLastPathComponent(StringPtr path, StringPtr name);
