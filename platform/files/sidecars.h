// Finder info and resource forks, kept in an AppleDouble sidecar "._NAME" beside the file.
//
// A sidecar exists only while the file has a resource fork (non-empty), Finder info that
// differs from what its extension says (type from the table below and creator 0, or the type
// and creator of a registered document extension; no flags), or
// other AppleDouble entries read from elsewhere (kept as they are). Without one, the type
// comes from the extension.
//
// A damaged sidecar (wrong magic or version, an entry table that does not fit, entries
// outside the file) is never trusted: every call that needs it returns ioErr (-36) and
// leaves it untouched, so nothing is lost. The data fork is unaffected.
//
// Sidecars are always written beside and renamed into place.
#pragma once

#include <string>

#include "platform/files/file_types.h"

// Type, creator, flags, location and folder of a file. fnfErr when missing or a folder.
// A symbolic link (our alias file) reports kIsAlias in fdFlags.
OSErr FSpGetFInfo(const FSSpec* fileSpec, FInfo* fndrInfo);
// Replaces the Finder info; the sidecar is written or removed as the rules above say.
OSErr FSpSetFInfo(const FSSpec* fileSpec, const FInfo* fndrInfo);
OSErr HGetFInfo(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, FInfo* fndrInfo);
OSErr HSetFInfo(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, const FInfo* fndrInfo);

// The whole resource fork of a file. fnfErr (dirNFErr) when the file is missing (or is a
// folder); a file
// without a resource fork gives noErr and an empty string (as an empty fork on the Mac);
// ioErr for a damaged sidecar.
OSErr ReadResourceForkBytes(const FSSpec* fileSpec, std::string* bytes);
// Replaces the resource fork atomically (new sidecar beside, then renamed over the old).
// Empty bytes remove the fork. fnfErr when the file is missing; dskFulErr, permErr as the
// host reports; ioErr when the old sidecar is damaged (it is then left as it was).
OSErr WriteResourceForkBytes(const FSSpec* fileSpec, const std::string& bytes);
// True when the file has a non-empty resource fork.
bool SpecHasResourceFork(const FSSpec* fileSpec);

// Finder type a file name's extension stands for (case-insensitive), or 0: .mid .midi .smf
// 'Midi', .aif .aiff 'AIFF', .aifc 'AIFC', .wav 'WAVE', .caf 'caff', .mp3 'MPG3', .ogg 'OggS',
// .mov 'MooV', .mp4 .m4a 'mpg4', .sd2 'Sd2f', .txt 'TEXT', .rsrc 'rsrc', .syx 'SysX'.
// A registered document extension first.
OSType FileTypeForName(const std::string& diskName);
// The program's own document kind: a file whose name ends in ".extension" (any case) has
// that type and creator without a sidecar. Main thread, at start-up.
void RegisterDocumentExtension(const char* extension, OSType type, OSType creator);

// Host path of the sidecar of a file path ("/a/b/._c" for "/a/b/c").
std::string SidecarPathFor(const std::string& filePath);
// True for names that are sidecars ("._" prefix); folder listings skip them.
bool IsSidecarName(const std::string& diskName);
