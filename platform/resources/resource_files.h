// Opening, creating and finding resource files. A file's resource fork is kept by
// platform/files (in the AppleDouble sidecar); a data-fork resource file keeps its map in
// the file itself, as the application's resource file Zarin.rsrc does.
//
// Opening a file that is already open returns the same refnum; every open makes the file
// current. A fork that is empty gives eofErr (-39), a missing file fnfErr (-43), a fork
// that is damaged mapReadErr (-199) or eofErr, and the file is then left untouched.
#pragma once

#include <string>

#include "platform/files/file_types.h"
#include "platform/memory/mac_types.h"
#include "platform/resources/resource_fork.h"

// The file's resource fork as a resource file; returns its refnum, or -1 (see ResError).
// permission fsRdPerm opens it read-only; any other permission read/write.
SInt16 FSpOpenResFile(const FSSpec* fileSpec, SInt8 permission);
// Gives a file an empty resource map, creating the file (with creator and type) when it
// is missing. A file that already has a map is left alone with dupFNErr (-48); one whose
// fork is damaged is left alone with that error.
void FSpCreateResFile(const FSSpec* fileSpec, OSType creator, OSType fileType, SInt16 scriptTag);
// True when the file is an open resource file (then *refNum is its refnum).
Boolean FSpResourceFileAlreadyOpen(const FSSpec* fileSpec, Boolean* inChain, SInt16* refNum);

// A data-fork resource file, read-only, put at the bottom of the chain and made current:
// the application's own resources.
OSErr OpenAppResourceFile(const std::string& path, SInt16* refNum);
// A resource file by host path: its data fork (dataFork true) or its resource fork.
OSErr OpenResourceFileAtPath(const std::string& path, SInt8 permission, Boolean dataFork, SInt16* refNum);
// Writes a data-fork resource file holding the image (atomically: an existing file is
// replaced only once the new one is complete).
OSErr WriteDataForkResourceFile(const std::string& path, const ResourceForkImage& image);
