// Volume parameters of the one volume.
#include "platform/files/volumes.h"

#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>

#include "platform/files/host_files.h"

namespace {

bool IsOurVolume(SInt16 vRefNum) { return vRefNum == 0 || vRefNum == kZarinVRefNum; }

void CopyVolumeName(StringPtr out) {
  if (!out) return;
  size_t n = std::strlen(kZarinVolumeName);
  out[0] = static_cast<unsigned char>(n);
  std::memcpy(out + 1, kZarinVolumeName, n);
}

}  // namespace

OSErr PBHGetVolParmsSync(HParamBlockRec* pb) {
  if (!pb) return paramErr;
  OSErr err = noErr;
  if (!IsOurVolume(pb->ioVRefNum)) {
    err = nsvErr;
  } else if (!pb->ioBuffer || pb->ioReqCount < SInt32(sizeof(GetVolParmsInfoBuffer))) {
    err = paramErr;
  } else {
    GetVolParmsInfoBuffer info;
    info.vMVersion = 4;
    info.vMAttrib = SInt32((1u << bHasMoveRename) | (1u << bHasExtFSVol) | (1u << bHasFileIDs));
    std::memcpy(pb->ioBuffer, &info, sizeof info);
    pb->ioActCount = SInt32(sizeof info);
    CopyVolumeName(pb->ioNamePtr);
  }
  pb->ioResult = err;
  return err;
}

OSErr GetFreeBytes(const std::string& folderPath, UInt64* freeBytes) {
  struct statvfs vfs;
  if (statvfs(folderPath.c_str(), &vfs) != 0) return HostErrorToOSErr(errno, nsvErr);
  if (freeBytes) *freeBytes = UInt64(vfs.f_bavail) * vfs.f_frsize;
  return noErr;
}

OSErr PBXGetVolInfoSync(XVolumeParam* pb) {
  if (!pb) return paramErr;
  OSErr err = IsOurVolume(pb->ioVRefNum) ? OSErr(noErr) : nsvErr;
  struct statvfs vfs;
  if (err == noErr && statvfs("/", &vfs) != 0) err = HostErrorToOSErr(errno, nsvErr);
  if (err == noErr) {
    pb->ioVRefNum = kZarinVRefNum;
    pb->ioVAlBlkSiz = UInt32(vfs.f_frsize);
    pb->ioVTotalBytes = UInt64(vfs.f_blocks) * vfs.f_frsize;
    pb->ioVFreeBytes = UInt64(vfs.f_bavail) * vfs.f_frsize;
    CopyVolumeName(pb->ioNamePtr);
  }
  pb->ioResult = err;
  return err;
}
