// Replacing a file without ever putting it at risk. The new data goes to a temporary file
// beside the target (platform/files/temporary_files.h); only when all of it was written,
// has reached the disk and the temporary file is closed does it take the target's place, in
// one rename. An existing target keeps its Finder info and resource fork; a new one gets the
// creator and type given. On any failure the temporary file is deleted and the target is
// exactly as it was. Each replacement first removes the temporaries that earlier runs,
// killed half-way, left in that folder.
#pragma once

#include "platform/files/files.h"

// Begin creates the temporary file beside target and opens its data fork for writing;
// Commit renames the (flushed and closed) temporary file into target's place; Abandon
// deletes it.
OSErr BeginDataForkReplacement(const FSSpec* target, FSSpec* temp, int16_t* refNum);
OSErr CommitDataForkReplacement(const FSSpec* temp, const FSSpec* target, OSType creator,
                                OSType fileType);
void AbandonDataForkReplacement(const FSSpec* temp);

// A writer puts the whole data fork into the stream (gStreamRefNum) and answers the stream's
// error (GetLastFileError).
using StreamWriterProc = OSErr (*)(void* writerArg);
// Replaces target's data fork with what write puts into the stream, as above; the stream in
// use before comes back after. Answers the first failure (a full disk as dskFulErr).
OSErr ReplaceFileThroughStream(const FSSpec* target, StreamWriterProc write, void* writerArg,
                               OSType creator, OSType fileType);
// The same for a writer without an argument.
OSErr ReplaceDataForkWithStream(const FSSpec* target, OSErr (*write)(), OSType creator,
                                OSType fileType);
