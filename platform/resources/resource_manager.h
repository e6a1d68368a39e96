// The Resource Manager: resources by type and id (or name, or index) from the chain of
// open resource files, held in handles. Every call sets ResError.
//
// GetResource searches from the current file down to the bottom of the chain (the files
// opened before it); the Get1 forms look at the current file only. A resource's handle
// stays the same while it is loaded; ReleaseResource disposes it, DetachResource gives it
// to the caller, RemoveResource takes the resource out of its file and leaves the handle
// to the caller. Handles that belong to the Resource Manager carry kHandleResourceBit in
// their state; one the caller disposed is noticed and loaded afresh on the next request.
//
// Changes (AddResource, ChangedResource, RemoveResource, SetResInfo, SetResAttrs) are
// kept in memory and written, the whole file at once and atomically, by UpdateResFile,
// WriteResource or CloseResFile. A file opened read-only is never written: UpdateResFile
// and WriteResource then report wrPermErr (-61). When writing fails (disk full, say), the
// file keeps its previous contents and ResError says why; CloseResFile closes it anyway.
//
// Main thread only.
#pragma once

#include "platform/memory/mac_types.h"
#include "platform/resources/resource_fork.h"

using StringHandle = Handle;

SInt16 CurResFile();
// Makes refNum current; 0 names the bottom of the chain (the application's file).
void UseResFile(SInt16 refNum);
// Writes the file's changes, disposes its resource handles and takes it out of the chain.
void CloseResFile(SInt16 refNum);
// Closes every open resource file (at quit, and between tests).
void CloseAllResFiles();
void UpdateResFile(SInt16 refNum);
OSErr ResError();
void SetResLoad(Boolean load);

Handle GetResource(ResType type, SInt16 id);
Handle Get1Resource(ResType type, SInt16 id);
Handle GetNamedResource(ResType type, ConstStr255Param name);
Handle Get1NamedResource(ResType type, ConstStr255Param name);
// index counts from 1 over the resources of the type, current file first.
Handle GetIndResource(ResType type, SInt16 index);
Handle Get1IndResource(ResType type, SInt16 index);
SInt16 CountResources(ResType type);
SInt16 Count1Resources(ResType type);
SInt16 CountTypes();
SInt16 Count1Types();
void GetIndType(ResType* type, SInt16 index);
void Get1IndType(ResType* type, SInt16 index);

// name may be null when it is not wanted; a resource without a name gives "".
void GetResInfo(Handle h, SInt16* id, ResType* type, StringPtr name);
// A null name keeps the name; an empty one removes it. An id that another resource of the
// same type in the file has is refused with addResFailed.
void SetResInfo(Handle h, SInt16 id, ConstStr255Param name);
SInt16 GetResAttrs(Handle h);
void SetResAttrs(Handle h, SInt16 attrs);
SInt16 HomeResFile(Handle h);
// Size of the resource's data in its file (the handle's size for one not yet written).
SInt32 GetResourceSizeOnDisk(Handle h);
SInt32 GetMaxResourceSize(Handle h);

// Adds h to the current file as a new resource. A resource of the same type and id
// already in that file is replaced (its handle disposed), so lookups stay unambiguous.
void AddResource(Handle h, ResType type, SInt16 id, ConstStr255Param name);
void ChangedResource(Handle h);
// Writes the resource's file now when the resource has changed.
void WriteResource(Handle h);
void RemoveResource(Handle h);
void DetachResource(Handle h);
void ReleaseResource(Handle h);
// Reads the data into a handle left empty by SetResLoad(false) or EmptyHandle.
void LoadResource(Handle h);
// A positive id not used by any resource of the type in the chain (current file only for
// Unique1ID), from 128 up.
SInt16 UniqueID(ResType type);
SInt16 Unique1ID(ResType type);

// Item index (1-based) of 'STR#' strListID, or an empty string when either is missing.
void GetIndString(StringPtr theString, SInt16 strListID, SInt16 index);
// The 'STR ' resource id (a Pascal string in a handle), or null.
StringHandle GetString(SInt16 stringID);
