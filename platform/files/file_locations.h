// FSSpec records and FSRefs: building them from names and paths, turning them back into
// host paths, and the directory id registry behind them.
//
// Names: a Mac name (Mac Roman, up to 63 bytes) maps to a UTF-8 disk name with '/' as ':'.
// A disk name whose Mac form would not fit in 63 bytes or has characters Mac Roman lacks
// gets a shortened Mac name "prefix#XXXXXX.ext" (hex of a hash of the disk name); such a name
// finds its file again by a scan of the folder.
#pragma once

#include <string>

#include "platform/files/file_types.h"

// --- FSSpecs --------------------------------------------------------------------------------

// Fills fileSpec from a folder and a name. vRefNum 0 or -1; dirID 0 means the current working
// folder. fileName may be a simple name, a partial path (":Sub:File", "::Up"), or a full path
// beginning with the volume name ("Disk:home:me:File"); null or empty names the folder dirID
// itself. Result: noErr when the item exists; fnfErr when only the last part is missing (fileSpec
// still filled); dirNFErr when a folder on the way is missing; nsvErr for another volume;
// bdNamErr for a name that cannot be a file name.
OSErr FSMakeFSSpec(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, FSSpec* fileSpec);

// UTF-8 host path of an FSSpec (absolute, no trailing '/'; "/" for the root), or "" when the
// fileSpec's volume or folder is unknown. The item itself need not exist.
std::string SpecToPath(const FSSpec* fileSpec);
// FSSpec of a host path (relative paths are taken from the working folder; "." and ".." are
// folded). noErr when the item exists, fnfErr when only it is missing (fileSpec filled),
// dirNFErr when its folder is missing, bdNamErr for an empty path.
OSErr PathToSpec(const std::string& path, FSSpec* fileSpec);

// The fileSpec's folder path ("" when unknown) and its name in disk form.
std::string SpecFolderPath(const FSSpec* fileSpec);
std::string SpecDiskName(const FSSpec* fileSpec);

// True when the two FSSpecs name the same item: same volume, folder and name byte for byte.
bool IsSameFSSpec(const FSSpec* a, const FSSpec* b);

// Full HFS path of an FSSpec ("Disk:home:me:Song", folders end without ':'), UTF-8.
std::string SpecToHFSPath(const FSSpec* fileSpec);

// --- Directory ids ------------------------------------------------------------------------

// Id of a folder path (issued on first use, stable for the run), 0 for a relative path.
// The path need not exist.
SInt32 DirIDForPath(const std::string& folderPath);
// Path of a folder id, or "" when the id was never issued (1 gives "").
std::string PathForDirID(SInt32 dirID);
// Moves the ids of a folder and everything below it to a new path (after a rename or move),
// so that ids follow their folders as on the Mac.
void MoveDirIDs(const std::string& oldPath, const std::string& newPath);

// --- Names --------------------------------------------------------------------------------

// Disk (UTF-8) form of a Mac name: '/' becomes ':'. False when the name is empty, ".", ".."
// or contains a NUL.
bool MacNameToDiskName(ConstStr255Param macName, std::string* diskName);
// Mac form of a disk name (':' becomes '/'), shortened as described above when needed;
// maxLen is the capacity of out (63 for Str63).
void DiskNameToMacName(const std::string& diskName, StringPtr out, int maxLen = 63);
// Finds the disk name of macName in folder: the direct conversion, or for shortened names
// the folder entry whose Mac form is macName. False (diskName = the direct conversion) when
// nothing on disk answers.
bool FindDiskName(const std::string& folder, ConstStr255Param macName, std::string* diskName);

// Lexically normalized absolute form of a path (no "." or "..", no doubled or trailing '/').
std::string NormalizePath(const std::string& path);

// --- References ---------------------------------------------------------------------------

// FSRef of an existing item. fnfErr (dirNFErr) when missing.
OSErr FSpMakeFSRef(const FSSpec* source, FSRef* newRef);
OSErr FSPathMakeRef(const UInt8* path, FSRef* ref, Boolean* isDirectory);
OSErr FSPathMakeRef(const std::string& path, FSRef* ref, Boolean* isDirectory = nullptr);
// UTF-8 path of a ref into path (NUL-terminated); -2110 (pathTooLongErr) when it does not fit.
OSErr FSRefMakePath(const FSRef* ref, UInt8* path, UInt32 maxPathSize);
// Path of a ref, or "" for a bad one.
std::string RefToPath(const FSRef* ref);
// A ref to an item of the folder parentRef named by UTF-16 text.
OSErr FSMakeFSRefUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                         UInt32 textEncodingHint, FSRef* newRef);
// noErr when both refs name the same item, diffRefErr (-1320) otherwise.
OSErr FSCompareFSRefs(const FSRef* ref1, const FSRef* ref2);
// Fills fileSpec from a ref (as FSGetCatalogInfo does with its fsSpec argument).
OSErr FSRefToFSSpec(const FSRef* ref, FSSpec* fileSpec);

constexpr OSErr pathTooLongErr = -2110;
constexpr OSErr diffRefErr = -1320;
