// CFURL: file locations, held as absolute POSIX paths in UTF-8.
//
// The HFS path style writes a path as colon-separated names starting with the volume name
// ("Root:home:ann:Song"); the one volume stands for "/". A '/' inside an HFS name is a ':'
// in the POSIX name and the other way round.
#pragma once

#include <string>

#include "platform/text/cf_string.h"

struct CFURLObject;
using CFURLRef = const CFURLObject*;

enum CFURLPathStyle : CFIndex {
  kCFURLPOSIXPathStyle = 0,
  kCFURLHFSPathStyle = 1,
  kCFURLWindowsPathStyle = 2,
};

CFTypeID CFURLGetTypeID();

// Name of the one volume in HFS paths (default "Disk", as the File Manager names it).
void SetHFSVolumeName(const std::string& utf8Name);
std::string GetHFSVolumeName();

// A relative POSIX path is taken relative to the current directory. Answers null for an
// empty path, an HFS path on another volume, or the Windows style.
CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef alloc, CFStringRef path, CFURLPathStyle style,
                                       Boolean isDirectory);
CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef alloc, const UInt8* buffer, CFIndex bufLen,
                                                 Boolean isDirectory);
// Appends one name (a '/' inside it is kept as part of the path).
CFURLRef CFURLCreateCopyAppendingPathComponent(CFAllocatorRef alloc, CFURLRef url, CFStringRef component,
                                               Boolean isDirectory);
// The parent folder ("/" stays "/").
CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef alloc, CFURLRef url);
CFURLRef CFURLCreateCopyAppendingPathExtension(CFAllocatorRef alloc, CFURLRef url, CFStringRef extension);
CFURLRef CFURLCreateCopyDeletingPathExtension(CFAllocatorRef alloc, CFURLRef url);

// The path in the style, without a trailing separator (except the root).
CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle style);
CFStringRef CFURLCopyLastPathComponent(CFURLRef url);
CFStringRef CFURLCopyPathExtension(CFURLRef url);
Boolean CFURLHasDirectoryPath(CFURLRef url);
// The POSIX path, NUL-terminated; false when it does not fit in maxBufLen bytes.
Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, UInt8* buffer,
                                         CFIndex maxBufLen);

// The POSIX path in UTF-8 (empty for null).
std::string CFURLGetPOSIXPath(CFURLRef url);
CFURLRef CFURLCreateWithPOSIXPath(const std::string& utf8Path, bool isDirectory);
