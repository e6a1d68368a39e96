// Alias records of our own: a handle holding a big-endian image.
//
//   +0  magic 'zAls' (u32)   +4  version 1 (u16)   +6  flags (u16: bit 0 folder)
//   +8  total size (u32)     +12 type (u32)        +16 creator (u32)
//   +20 name: length (u16) + Mac Roman bytes (at most 63)
//       absolute path: length (u16) + UTF-8 bytes
//       path relative to the referring file's folder: length (u16) + UTF-8 bytes (may be 0)
//
// Every length is checked against the handle's size on read; a record that lies is refused
// with paramErr.
//
// Resolution: the absolute path first; when nothing of the recorded kind (file or folder)
// is there, the relative path from the referring file (so that a song folder moved or
// renamed together with its media still resolves). A record found the second way is updated
// in place and wasChanged is true. fnfErr when neither path answers. There is never any UI.
#pragma once

#include "platform/files/file_types.h"

using AliasHandle = Handle;
using AliasPtr = Ptr;

constexpr OSType kAliasRecordMagic = FourCC("zAls");
constexpr UInt16 kAliasRecordVersion = 1;
constexpr size_t kAliasHeaderSize = 20;

// Mount flags (accepted; no UI is ever shown).
enum : UInt32 {
  kResolveAliasFileNoUI = 0x00000001,
  kResolveAliasTryFileIDFirst = 0x00000002,
};

// Indexes for GetAliasInfo.
enum : SInt16 {
  asiZoneName = -3,
  asiServerName = -2,
  asiVolumeName = -1,
  asiAliasName = 0,
  asiParentName = 1,
};

// A new alias of an existing target (fnfErr when missing). fromFile (optional) is the file
// the alias is stored with; its folder anchors the relative path.
OSErr NewAlias(const FSSpec* fromFile, const FSSpec* target, AliasHandle* alias);
// An alias with the absolute path only; the target need not exist (its folder must).
OSErr NewAliasMinimal(const FSSpec* target, AliasHandle* alias);
OSErr ResolveAlias(const FSSpec* fromFile, AliasHandle alias, FSSpec* target, Boolean* wasChanged);
OSErr ResolveAliasWithMountFlags(const FSSpec* fromFile, AliasHandle alias, FSSpec* target,
                                 Boolean* wasChanged, UInt32 mountFlags);
// Rewrites alias to describe target (relative to fromFile when given); wasChanged is true
// when the record's bytes changed.
OSErr UpdateAlias(const FSSpec* fromFile, const FSSpec* target, AliasHandle alias, Boolean* wasChanged);
// Name of the target (asiAliasName), of its volume (asiVolumeName), or of the index-th
// folder above it (asiParentName = 1, ...); empty for zone and server. paramErr for a bad
// record, an empty string past the root.
OSErr GetAliasInfo(AliasHandle alias, SInt16 index, Str63 theString);

// Alias files are symbolic links on this system. When theSpec names one, it is replaced by
// its target (the whole chain when resolveAliasChains, else one link) and wasAliased is
// true. fnfErr for a link whose target is missing.
OSErr ResolveAliasFile(FSSpec* theSpec, Boolean resolveAliasChains, Boolean* targetIsFolder,
                       Boolean* wasAliased);
