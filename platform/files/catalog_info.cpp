// Catalog information of files and folders.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/files/catalog.h"
#include "platform/files/file_locations.h"
#include "platform/files/files_internal.h"
#include "platform/files/host_files.h"
#include "platform/text/unicode.h"

namespace {

constexpr SInt64 kUnixToMacEpoch = 2082844800;  // seconds from 1904-01-01 to 1970-01-01

UTCDateTime ToUTCDateTime(const struct timespec& t) {
  UTCDateTime d;
  UInt64 secs = MacSecondsFromUnix(t.tv_sec);
  d.highSeconds = static_cast<UInt16>(secs >> 32);
  d.lowSeconds = static_cast<UInt32>(secs);
  d.fraction = static_cast<UInt16>((UInt64(t.tv_nsec) << 16) / 1000000000u);
  return d;
}

bool StatEither(const std::string& path, struct stat* st) {
  return stat(path.c_str(), st) == 0 || lstat(path.c_str(), st) == 0;
}

// Fills info for an existing path. A damaged sidecar gives ioErr when Finder info or
// resource sizes were asked for, unless lenient, which then uses the defaults.
OSErr FillCatalogInfo(const std::string& path, FSCatalogInfoBitmap which, FSCatalogInfo* info, bool lenient) {
  struct stat st;
  if (!StatEither(path, &st)) return fnfErr;
  FSCatalogInfo out;
  bool folder = S_ISDIR(st.st_mode);
  out.nodeFlags = folder ? kFSNodeIsDirectoryMask : 0;
  out.volume = kZarinVRefNum;
  out.parentDirID = path == "/" ? UInt32(fsRtParID) : UInt32(DirIDForPath(HostParentPath(path)));
  out.nodeID = folder ? UInt32(DirIDForPath(path)) : static_cast<UInt32>(st.st_ino);
  out.createDate = ToUTCDateTime(st.st_mtim);
  out.contentModDate = ToUTCDateTime(st.st_mtim);
  out.accessDate = ToUTCDateTime(st.st_atim);
  if (folder) {
    std::vector<std::string> names;
    if ((which & kFSCatInfoValence) && HostListFolder(path, &names) == noErr) out.valence = UInt32(names.size());
  } else {
    out.dataLogicalSize = UInt64(st.st_size);
    out.dataPhysicalSize = UInt64(st.st_blocks) * 512;
    if (which & (kFSCatInfoFinderInfo | kFSCatInfoFinderXInfo | kFSCatInfoRsrcSizes)) {
      AppleDoubleInfo sidecar;
      OSErr err = LoadSidecar(path, &sidecar);
      if (err != noErr && !lenient) return err;
      if (err != noErr) DefaultFinderInfo(path, &sidecar.finderInfo, &sidecar.extFinderInfo);
      out.finderInfo = sidecar.finderInfo;
      if (S_ISLNK(st.st_mode) || HostIsLink(path)) out.finderInfo.fdFlags |= kIsAlias;
      out.extFinderInfo = sidecar.extFinderInfo;
      out.rsrcLogicalSize = sidecar.resourceFork.size();
      out.rsrcPhysicalSize = (out.rsrcLogicalSize + 4095) / 4096 * 4096;
    }
  }
  *info = out;
  return noErr;
}

void DiskNameToUnicode(const std::string& path, HFSUniStr255* outName) {
  std::string name = path == "/" ? std::string(kZarinVolumeName) : HostLastComponent(path);
  for (char& c : name) {
    if (c == ':') c = '/';
  }
  std::u16string utf16;
  UTF8ToUTF16(name, &utf16);
  if (utf16.size() > 255) utf16.resize(255);
  outName->length = static_cast<UInt16>(utf16.size());
  std::memcpy(outName->unicode, utf16.data(), utf16.size() * sizeof(UniChar));
}

// The item a parameter block names (see CInfoPBRec).
OSErr CatInfoPath(CInfoPBRec* pb, std::string* path) {
  if (pb->ioVRefNum != 0 && pb->ioVRefNum != kZarinVRefNum) return nsvErr;
  if (pb->ioFDirIndex < 0 || (pb->ioFDirIndex == 0 && (!pb->ioNamePtr || pb->ioNamePtr[0] == 0))) {
    *path = pb->ioDirID == 0 ? NormalizePath(".") : PathForDirID(pb->ioDirID);
    bool folder = false;
    return !path->empty() && HostPathExists(*path, &folder) && folder ? OSErr(noErr) : dirNFErr;
  }
  if (pb->ioFDirIndex == 0) {
    FSSpec fileSpec;
    OSErr err = FSMakeFSSpec(pb->ioVRefNum, pb->ioDirID, pb->ioNamePtr, &fileSpec);
    if (err == noErr) *path = SpecToPath(&fileSpec);
    return err;
  }
  static std::mutex cacheLock;
  static std::string cachedFolder;
  static std::vector<std::string> cachedNames;
  std::string folder = pb->ioDirID == 0 ? NormalizePath(".") : PathForDirID(pb->ioDirID);
  if (folder.empty()) return dirNFErr;
  std::lock_guard<std::mutex> guard(cacheLock);
  if (pb->ioFDirIndex == 1 || folder != cachedFolder) {
    cachedFolder.clear();
    OSErr err = HostListFolder(folder, &cachedNames);
    if (err != noErr) return err;
    cachedFolder = folder;
  }
  if (size_t(pb->ioFDirIndex) > cachedNames.size()) return fnfErr;
  *path = HostJoinPath(folder, cachedNames[size_t(pb->ioFDirIndex) - 1]);
  return noErr;
}

void FillParamBlock(const std::string& path, const FSCatalogInfo& info, CInfoPBRec* pb) {
  bool folder = info.nodeFlags & kFSNodeIsDirectoryMask;
  pb->ioFlAttrib = folder ? kioFlAttribDirMask : 0;
  pb->ioFlFndrInfo = folder ? FInfo() : info.finderInfo;
  pb->ioFlXFndrInfo = info.extFinderInfo;
  pb->ioDirID = static_cast<SInt32>(info.nodeID);
  pb->ioFlParID = static_cast<SInt32>(info.parentDirID);
  pb->ioFlLgLen = static_cast<SInt32>(std::min<UInt64>(info.dataLogicalSize, 0x7FFFFFFF));
  pb->ioFlPyLen = static_cast<SInt32>(std::min<UInt64>(info.dataPhysicalSize, 0x7FFFFFFF));
  pb->ioFlRLgLen = static_cast<SInt32>(std::min<UInt64>(info.rsrcLogicalSize, 0x7FFFFFFF));
  pb->ioFlRPyLen = static_cast<SInt32>(std::min<UInt64>(info.rsrcPhysicalSize, 0x7FFFFFFF));
  pb->ioDrNmFls = static_cast<UInt16>(std::min<UInt32>(info.valence, 0xFFFF));
  pb->ioFlCrDat = info.createDate.lowSeconds;
  pb->ioFlMdDat = info.contentModDate.lowSeconds;
  if (pb->ioNamePtr && pb->ioFDirIndex != 0) {
    if (path == "/") {
      size_t n = std::strlen(kZarinVolumeName);
      pb->ioNamePtr[0] = static_cast<unsigned char>(n);
      std::memcpy(pb->ioNamePtr + 1, kZarinVolumeName, n);
    } else {
      DiskNameToMacName(HostLastComponent(path), pb->ioNamePtr, 63);
    }
  }
}

}  // namespace

UInt64 MacSecondsFromUnix(SInt64 unixSeconds) {
  SInt64 mac = unixSeconds + kUnixToMacEpoch;
  return mac < 0 ? 0 : UInt64(mac);
}

OSErr ResolveSpecPath(const FSSpec* fileSpec, std::string* path) {
  if (!fileSpec || !path) return paramErr;
  if (fileSpec->vRefNum != 0 && fileSpec->vRefNum != kZarinVRefNum) return nsvErr;
  if (fileSpec->parID != fsRtParID) {
    std::string folder = PathForDirID(fileSpec->parID);
    bool isFolder = false;
    if (folder.empty() || !HostPathExists(folder, &isFolder) || !isFolder) return dirNFErr;
  }
  *path = SpecToPath(fileSpec);
  if (path->empty()) return fileSpec->parID == fsRtParID ? fnfErr : bdNamErr;
  return HostPathPresent(*path) ? OSErr(noErr) : fnfErr;
}

bool SpecExists(const FSSpec* fileSpec, bool* isFolder) {
  std::string path;
  if (ResolveSpecPath(fileSpec, &path) != noErr) return false;
  bool folder = false;
  HostPathExists(path, &folder);
  if (isFolder) *isFolder = folder;
  return true;
}

OSErr FSpGetCatInfo(const FSSpec* fileSpec, FSCatalogInfoBitmap whichInfo, FSCatalogInfo* info) {
  if (!info) return paramErr;
  std::string path;
  OSErr err = ResolveSpecPath(fileSpec, &path);
  return err == noErr ? FillCatalogInfo(path, whichInfo, info, false) : err;
}

OSErr FSGetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, FSCatalogInfo* catalogInfo,
                       HFSUniStr255* outName, FSSpec* fsSpec, FSRef* parentRef) {
  std::string path = RefToPath(ref);
  if (path.empty()) return errFSBadFSRef;
  if (!HostPathPresent(path)) return fnfErr;
  if (catalogInfo) {
    OSErr err = FillCatalogInfo(path, whichInfo, catalogInfo, false);
    if (err != noErr) return err;
  }
  if (outName) DiskNameToUnicode(path, outName);
  if (fsSpec) {
    OSErr err = PathToSpec(path, fsSpec);
    if (err != noErr) return err;
  }
  if (parentRef) {
    *parentRef = FSRef();
    if (path != "/") FSPathMakeRef(HostParentPath(path), parentRef);
  }
  return noErr;
}

OSErr FSSetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* info) {
  std::string path = RefToPath(ref);
  if (path.empty()) return errFSBadFSRef;
  if (!info) return paramErr;
  bool folder = false;
  if (!HostPathExists(path, &folder) && !HostPathPresent(path)) return fnfErr;
  if (folder || !(whichInfo & (kFSCatInfoFinderInfo | kFSCatInfoFinderXInfo))) return noErr;
  return UpdateSidecar(path, [&](AppleDoubleInfo* sidecar) {
    if (whichInfo & kFSCatInfoFinderInfo) sidecar->finderInfo = info->finderInfo;
    if (whichInfo & kFSCatInfoFinderXInfo) sidecar->extFinderInfo = info->extFinderInfo;
    return noErr;
  });
}

OSErr PBGetCatInfoSync(CInfoPBRec* pb) {
  if (!pb) return paramErr;
  std::string path;
  OSErr err = CatInfoPath(pb, &path);
  FSCatalogInfo info;
  if (err == noErr) err = FillCatalogInfo(path, kFSCatInfoGettableInfo, &info, true);
  if (err == noErr) FillParamBlock(path, info, pb);
  pb->ioResult = err;
  return err;
}
