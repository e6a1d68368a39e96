// The File Manager's records and result codes.
//
// One volume (vRefNum -1, "the disk") holds the whole host file system. A folder is named by
// a 32-bit directory id issued for the run by a registry keyed on the folder's path: the
// root "/" is 2 and its parent is 1. Names inside records are Mac Roman Pascal strings; on
// disk they are UTF-8, and a '/' in a Mac name is ':' on disk (and back).
#pragma once

#include "platform/memory/mac_types.h"

// File Manager result codes (constants rather than an enum, so they mix with OSErr values).
constexpr OSErr dirFulErr = -33;
constexpr OSErr dskFulErr = -34;
constexpr OSErr nsvErr = -35;
constexpr OSErr ioErr = -36;
constexpr OSErr bdNamErr = -37;
constexpr OSErr fnOpnErr = -38;
constexpr OSErr eofErr = -39;
constexpr OSErr posErr = -40;
constexpr OSErr tmfoErr = -42;
constexpr OSErr fnfErr = -43;
constexpr OSErr wPrErr = -44;
constexpr OSErr fLckdErr = -45;
constexpr OSErr vLckdErr = -46;
constexpr OSErr fBsyErr = -47;
constexpr OSErr dupFNErr = -48;
constexpr OSErr opWrErr = -49;
constexpr OSErr rfNumErr = -51;
constexpr OSErr permErr = -54;
constexpr OSErr wrPermErr = -61;
constexpr OSErr dirNFErr = -120;
constexpr OSErr badMovErr = -122;
constexpr OSErr afpAccessDenied = -5000;
constexpr OSErr notAFileErr = -1302;
constexpr OSErr errFSBadFSRef = -1401;
constexpr OSErr errFSForkNotFound = -1409;
constexpr OSErr errFSNameTooLong = -1410;

// The one volume and the fixed directory ids.
constexpr SInt16 kZarinVRefNum = -1;
constexpr SInt32 fsRtParID = 1;
constexpr SInt32 fsRtDirID = 2;

// Fork permissions.
enum : SInt8 {
  fsCurPerm = 0,
  fsRdPerm = 1,
  fsWrPerm = 2,
  fsRdWrPerm = 3,
  fsRdWrShPerm = 4,
};

// Position modes (the low two bits; the cache hints 0x10/0x20 and the verify bit 0x40 are
// accepted and ignored).
enum : UInt16 {
  fsAtMark = 0,
  fsFromStart = 1,
  fsFromLEOF = 2,
  fsFromMark = 3,
  pleaseCacheMask = 0x10,
  noCacheMask = 0x20,
  rdVerifyMask = 0x40,
};

using FSIORefNum = SInt16;
using UniCharCount = UInt32;
using TextEncoding = UInt32;
using FSVolumeRefNum = SInt16;

// A file or folder by location: volume, parent directory id and Mac Roman name. A plain
// record (70 bytes on the Mac); identity is (vRefNum, parID, name byte for byte).
struct FSSpec {
  SInt16 vRefNum = 0;
  SInt32 parID = 0;
  Str63 name = {0};
};
using FSSpecPtr = FSSpec*;

// An existing file or folder, opaque: the bytes name an entry of a process-wide path table.
// Two FSRefs to the same path are byte-for-byte equal.
struct FSRef {
  UInt8 hidden[80] = {0};
};
using FSRefPtr = FSRef*;

struct HFSUniStr255 {
  UInt16 length = 0;
  UniChar unicode[255] = {0};
};

// Finder information (16 bytes in the AppleDouble Finder info entry, big-endian there).
struct FInfo {
  OSType fdType = 0;
  OSType fdCreator = 0;
  UInt16 fdFlags = 0;
  Point fdLocation;
  SInt16 fdFldr = 0;
};
using FileInfo = FInfo;

// The second half of the 32-byte Finder info, kept as it lies.
struct FXInfo {
  UInt8 bytes[16] = {0};
};

// Finder flags.
enum : UInt16 {
  kIsOnDesk = 0x0001,
  kHasBeenInited = 0x0100,
  kHasCustomIcon = 0x0400,
  kIsStationery = 0x0800,
  kNameLocked = 0x1000,
  kHasBundle = 0x2000,
  kIsInvisible = 0x4000,
  kIsAlias = 0x8000,
};

// Seconds since 1904-01-01 UTC (high 16 and low 32 bits) and a 1/65536 s fraction.
struct UTCDateTime {
  UInt16 highSeconds = 0;
  UInt32 lowSeconds = 0;
  UInt16 fraction = 0;
};

// Catalog information: the fields this system fills.
struct FSCatalogInfo {
  UInt16 nodeFlags = 0;  // kFSNodeIsDirectoryMask, kFSNodeLockedMask
  FSVolumeRefNum volume = 0;
  UInt32 parentDirID = 0;
  UInt32 nodeID = 0;  // directory id for folders, low 32 bits of the inode for files
  UTCDateTime createDate;
  UTCDateTime contentModDate;
  UTCDateTime accessDate;
  FInfo finderInfo;  // files only
  FXInfo extFinderInfo;
  UInt32 valence = 0;  // folders: number of items (sidecars not counted)
  UInt64 dataLogicalSize = 0;
  UInt64 dataPhysicalSize = 0;
  UInt64 rsrcLogicalSize = 0;
  UInt64 rsrcPhysicalSize = 0;
  UInt16 textEncodingHint = 0;
};

enum : UInt16 {
  kFSNodeLockedMask = 0x0001,
  kFSNodeIsDirectoryMask = 0x0010,
};

using FSCatalogInfoBitmap = UInt32;
enum : FSCatalogInfoBitmap {
  kFSCatInfoNone = 0,
  kFSCatInfoTextEncoding = 0x00000001,
  kFSCatInfoNodeFlags = 0x00000002,
  kFSCatInfoVolume = 0x00000004,
  kFSCatInfoParentDirID = 0x00000008,
  kFSCatInfoNodeID = 0x00000010,
  kFSCatInfoCreateDate = 0x00000020,
  kFSCatInfoContentMod = 0x00000040,
  kFSCatInfoAttrMod = 0x00000080,
  kFSCatInfoAccessDate = 0x00000100,
  kFSCatInfoBackupDate = 0x00000200,
  kFSCatInfoPermissions = 0x00000400,
  kFSCatInfoFinderInfo = 0x00000800,
  kFSCatInfoFinderXInfo = 0x00001000,
  kFSCatInfoValence = 0x00002000,
  kFSCatInfoDataSizes = 0x00004000,
  kFSCatInfoRsrcSizes = 0x00008000,
  kFSCatInfoSharingFlags = 0x00010000,
  kFSCatInfoUserPrivs = 0x00020000,
  kFSCatInfoGettableInfo = 0x0003FFFF,
  kFSCatInfoSettableInfo = 0x00001FE3,
};

// Catalog information by parameter block, as the classic calls have it: by name
// (ioFDirIndex 0), by index within the folder ioDirID (ioFDirIndex > 0, from 1, in name
// order, sidecars skipped), or the folder ioDirID itself (ioFDirIndex < 0). One flat record
// serves files and folders: ioDirID is the folder's id (ioDrDirID) on output for folders.
struct CInfoPBRec {
  OSErr ioResult = 0;
  StringPtr ioNamePtr = nullptr;  // in: name (index 0); out: name, when not null
  SInt16 ioVRefNum = 0;
  SInt16 ioFDirIndex = 0;
  SInt8 ioFlAttrib = 0;  // kioFlAttribDirMask when a folder
  FInfo ioFlFndrInfo;    // files
  FXInfo ioFlXFndrInfo;
  SInt32 ioDirID = 0;     // in: folder searched; out: folder id (folders) or file id (files)
  SInt32 ioFlParID = 0;   // out: parent directory (ioDrParID for folders)
  SInt32 ioFlLgLen = 0;   // data fork logical length (low 32 bits)
  SInt32 ioFlPyLen = 0;
  SInt32 ioFlRLgLen = 0;  // resource fork length
  SInt32 ioFlRPyLen = 0;
  UInt16 ioDrNmFls = 0;   // folders: number of items
  UInt32 ioFlCrDat = 0;   // seconds since 1904
  UInt32 ioFlMdDat = 0;
};
using CInfoPBPtr = CInfoPBRec*;

constexpr SInt8 kioFlAttribLockedMask = 0x01;
constexpr SInt8 kioFlAttribDirMask = 0x10;

// Name of the one volume, as full HFS paths begin with it ("Disk:home:me:Song").
constexpr const char* kZarinVolumeName = "Disk";
