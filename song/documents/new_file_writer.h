// Writing a new file through the stream without ever destroying the file it replaces.
#pragma once

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

// A writer: writes the file's data fork through the stream (WriteBlock ...) and returns the
// stream error.
using FileWriterProc = OSErr (*)(void* writerArg);

// Writes a file of the given type (creator 'V|ov') with writer, through
// ReplaceFileThroughStream (shell/base/file_replacement.h): only when all of it was written
// and has reached the disk does it take the target's place (an existing target keeps its
// Finder info and resource fork). On any error the temporary file is deleted and the target
// stays exactly as it was. The error is reported, naming the file, and returned.
OSErr WriteNewFile(const FSSpec* fileSpec, OSType type, FileWriterProc writer, void* writerArg);
// The same without the report, for callers that report themselves.
OSErr WriteNewFileQuietly(const FSSpec* fileSpec, OSType type, FileWriterProc writer, void* writerArg);
