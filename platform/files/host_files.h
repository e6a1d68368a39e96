// Host file system helpers shared by the File Manager sources: result codes from errno,
// existence checks, whole-file reads and atomic writes, folder listings.
#pragma once

#include <string>
#include <vector>

#include "platform/files/file_types.h"

// File Manager code of a host errno value; notFound is returned for ENOENT.
OSErr HostErrorToOSErr(int hostErrno, OSErr notFound = fnfErr);

// True when path exists (symbolic links followed); isFolder/size optional.
bool HostPathExists(const std::string& path, bool* isFolder = nullptr, UInt64* size = nullptr);
// True for a path that exists as a link or anything else, without following links.
bool HostPathPresent(const std::string& path);
// True for a symbolic link.
bool HostIsLink(const std::string& path);

// Largest sidecar read whole (resource fork data offsets are 24 bits, so a real fork is
// far smaller); a bigger one is refused as damaged.
constexpr UInt64 kMaxSidecarBytes = 64ull << 20;

// Reads a whole file of at most maxBytes. fnfErr when missing, ioErr when larger.
OSErr HostReadFile(const std::string& path, std::string* bytes, UInt64 maxBytes);
// Writes bytes to a new file beside path and renames it over path; the old file (if any) is
// untouched on failure. A new file gets mode 0666 less the umask, a replaced one keeps its mode.
OSErr HostWriteFileAtomically(const std::string& path, const std::string& bytes);

// Names in a folder, sorted by byte value, without "." "..", sidecars and our temporaries.
OSErr HostListFolder(const std::string& folder, std::vector<std::string>* names);

// Parent folder and last component of a normalized absolute path ("/" has parent "").
std::string HostParentPath(const std::string& path);
std::string HostLastComponent(const std::string& path);
std::string HostJoinPath(const std::string& folder, const std::string& name);

// Prefix of the temporary files written beside their targets.
constexpr const char* kTempFilePrefix = ".zarin-tmp-";
