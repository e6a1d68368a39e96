// Catalog operations: information about files and folders, creating, deleting, renaming and
// moving them. Every call that moves or removes a file does the same to its sidecar.
#pragma once

#include "platform/files/file_types.h"

// Catalog information of an FSSpec's item. fnfErr / dirNFErr when missing; ioErr when a
// requested Finder info or resource size must come from a sidecar that is damaged.
OSErr FSpGetCatInfo(const FSSpec* fileSpec, FSCatalogInfoBitmap whichInfo, FSCatalogInfo* info);
// Catalog information of a ref's item, with its name, fileSpec and parent ref (each optional).
OSErr FSGetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, FSCatalogInfo* catalogInfo,
                       HFSUniStr255* outName, FSSpec* fsSpec, FSRef* parentRef);
// Sets what can be set: the Finder info (kFSCatInfoFinderInfo / kFSCatInfoFinderXInfo).
OSErr FSSetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* info);
// The classic parameter-block form (see CInfoPBRec); the result is also in pb->ioResult.
OSErr PBGetCatInfoSync(CInfoPBRec* pb);

// True when the FSSpec names an existing item (isFolder, optional, says which kind).
bool SpecExists(const FSSpec* fileSpec, bool* isFolder = nullptr);

// Creates an empty file (data fork only) with its Finder type and creator; a sidecar is
// written only when the extension does not already say the type. dupFNErr when the name is
// taken, dirNFErr when the folder is missing. The script code is ignored.
OSErr FSpCreate(const FSSpec* fileSpec, OSType creator, OSType fileType, SInt16 scriptTag);
OSErr HCreate(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, OSType creator, OSType fileType);
// Creates a folder; its new id goes to createdDirID (optional).
OSErr FSpDirCreate(const FSSpec* fileSpec, SInt16 scriptTag, SInt32* createdDirID);
OSErr DirCreate(SInt16 vRefNum, SInt32 parentDirID, ConstStr255Param directoryName, SInt32* createdDirID);

// Deletes a file (and its sidecar) or an empty folder. fBsyErr for an open file or a folder
// that is not empty.
OSErr FSpDelete(const FSSpec* fileSpec);
OSErr FSDeleteObject(const FSRef* ref);
// Renames in place (with the sidecar). dupFNErr when the new name is taken.
OSErr FSpRename(const FSSpec* fileSpec, ConstStr255Param newName);
// Moves a file or folder into the folder dest (an FSSpec of that folder). dupFNErr when the
// name is taken there, badMovErr across file systems or into itself.
OSErr FSpCatMove(const FSSpec* source, const FSSpec* dest);
OSErr CatMove(SInt16 vRefNum, SInt32 dirID, ConstStr255Param oldName, SInt32 newDirID,
              ConstStr255Param newName);
// Exchanges the contents (data and resource forks) of two files; names and Finder info stay.
OSErr FSpExchangeFiles(const FSSpec* source, const FSSpec* dest);
// Renames source's data over target's (both existing files): target keeps its Finder info and
// resource fork, source's sidecar goes, and the rename is made durable. A failure leaves both
// as they were. fBsyErr while source is open.
OSErr FSpReplaceDataFork(const FSSpec* source, const FSSpec* target);
