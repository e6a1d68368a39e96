// The one volume's parameters and sizes (from statvfs of the root of the folder asked about,
// or of "/").
#pragma once

#include <string>

#include "platform/files/file_types.h"

// Volume attribute bits of GetVolParmsInfoBuffer.vMAttrib.
enum : SInt32 {
  bHasMoveRename = 13,
  bHasDesktopMgr = 28,
  bHasExtFSVol = 16,
  bHasFileIDs = 17,
};

struct GetVolParmsInfoBuffer {
  SInt16 vMVersion = 0;
  SInt32 vMAttrib = 0;
  Handle vMLocalHand;
  SInt32 vMServerAdr = 0;
  SInt32 vMVolumeGrade = 0;
  SInt16 vMForeignPrivID = 0;
};

// The parameter block of the volume calls: the fields they use.
struct HParamBlockRec {
  OSErr ioResult = 0;
  StringPtr ioNamePtr = nullptr;  // out: volume name, when not null
  SInt16 ioVRefNum = 0;
  Ptr ioBuffer = nullptr;         // PBHGetVolParmsSync: a GetVolParmsInfoBuffer
  SInt32 ioReqCount = 0;          // its size
  SInt32 ioActCount = 0;
};

struct XVolumeParam {
  OSErr ioResult = 0;
  StringPtr ioNamePtr = nullptr;
  SInt16 ioVRefNum = 0;
  SInt16 ioVolIndex = 0;
  UInt32 ioVAlBlkSiz = 0;
  UInt64 ioVTotalBytes = 0;
  UInt64 ioVFreeBytes = 0;
  UInt16 ioVSigWord = 0x482B;  // 'H+'
};

// nsvErr for a volume other than 0 or -1. The attributes say move-and-rename and file ids.
OSErr PBHGetVolParmsSync(HParamBlockRec* pb);
OSErr PBXGetVolInfoSync(XVolumeParam* pb);
// Free bytes of the file system holding a folder path.
OSErr GetFreeBytes(const std::string& folderPath, UInt64* freeBytes);
