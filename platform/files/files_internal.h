// Shared inside platform/files: fileSpec paths with File Manager errors, and the sidecar store.
#pragma once

#include <functional>
#include <string>

#include "platform/files/apple_double.h"
#include "platform/files/file_types.h"

// Host path of an FSSpec's item. paramErr for a null fileSpec, nsvErr for another volume, dirNFErr
// when its folder is unknown or missing, fnfErr when only the item is missing (path set).
OSErr ResolveSpecPath(const FSSpec* fileSpec, std::string* path);

// Finder info a file has when no sidecar says otherwise: the type its extension stands for.
void DefaultFinderInfo(const std::string& filePath, FInfo* finfo, FXInfo* fxinfo);

// Reads the sidecar of filePath: a missing sidecar gives noErr and an info holding the
// default Finder info and no resource fork; a damaged one ioErr.
OSErr LoadSidecar(const std::string& filePath, AppleDoubleInfo* info);
// Writes the sidecar when the info needs one, removes it otherwise.
OSErr StoreSidecar(const std::string& filePath, const AppleDoubleInfo& info);
// Load, change, store under the sidecar lock, so concurrent changes do not undo each other.
OSErr UpdateSidecar(const std::string& filePath, const std::function<OSErr(AppleDoubleInfo*)>& change);

// Moves a file's sidecar along with it (after the file moved); absent sidecars are fine.
OSErr MoveSidecar(const std::string& oldFilePath, const std::string& newFilePath);
// Removes a file's sidecar when there is one.
void RemoveSidecar(const std::string& filePath);

// Updates the paths of open forks after a file or folder moved.
void MoveOpenForkPaths(const std::string& oldPath, const std::string& newPath);

// Seconds since 1904 of a host time.
UInt64 MacSecondsFromUnix(SInt64 unixSeconds);
