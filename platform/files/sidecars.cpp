// Finder info and resource forks in AppleDouble sidecars, and the extension table.
#include "platform/files/sidecars.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/files/files_internal.h"
#include "platform/files/file_locations.h"
#include "platform/files/host_files.h"

namespace {

struct ExtensionType {
  const char* extension;
  OSType type;
};

constexpr ExtensionType kExtensionTypes[] = {
    {"mid", FourCC("Midi")},  {"midi", FourCC("Midi")}, {"smf", FourCC("Midi")},  {"aif", FourCC("AIFF")},
    {"aiff", FourCC("AIFF")}, {"aifc", FourCC("AIFC")}, {"wav", FourCC("WAVE")},  {"wave", FourCC("WAVE")},
    {"caf", FourCC("caff")},  {"mp3", FourCC("MPG3")},  {"ogg", FourCC("OggS")},  {"mov", FourCC("MooV")},
    {"mp4", FourCC("mpg4")},  {"m4a", FourCC("mpg4")},  {"sd2", FourCC("Sd2f")},  {"txt", FourCC("TEXT")},
    {"rsrc", FourCC("rsrc")}, {"syx", FourCC("SysX")},
};

std::mutex gSidecarLock;

// The program's own document kinds (RegisterDocumentExtension): main thread at start-up.
struct DocumentExtension {
  std::string extension;  // lower case, without the dot
  OSType type;
  OSType creator;
};
std::vector<DocumentExtension> gDocumentExtensions;

std::string LowerExtension(const std::string& diskName) {
  size_t dot = diskName.rfind('.');
  if (dot == std::string::npos || dot == 0) return std::string();
  std::string ext = diskName.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

const DocumentExtension* FindDocumentExtension(const std::string& diskName) {
  std::string ext = LowerExtension(diskName);
  for (const DocumentExtension& d : gDocumentExtensions)
    if (!ext.empty() && d.extension == ext) return &d;
  return nullptr;
}

bool IsDefaultFinderInfo(const std::string& filePath, const AppleDoubleInfo& info) {
  FInfo def;
  FXInfo defx;
  DefaultFinderInfo(filePath, &def, &defx);
  const FInfo& f = info.finderInfo;
  return f.fdType == def.fdType && f.fdCreator == def.fdCreator && f.fdFlags == def.fdFlags &&
         f.fdLocation == def.fdLocation && f.fdFldr == def.fdFldr &&
         std::memcmp(info.extFinderInfo.bytes, defx.bytes, sizeof defx.bytes) == 0;
}

OSErr FilePathOfSpec(const FSSpec* fileSpec, std::string* path) {
  OSErr err = ResolveSpecPath(fileSpec, path);
  if (err != noErr) return err;
  bool folder = false;
  HostPathExists(*path, &folder);
  return folder ? fnfErr : OSErr(noErr);
}

}  // namespace

void RegisterDocumentExtension(const char* extension, OSType type, OSType creator) {
  std::string ext = LowerExtension(std::string("x.") + extension);
  for (DocumentExtension& d : gDocumentExtensions)
    if (d.extension == ext) {
      d.type = type;
      d.creator = creator;
      return;
    }
  gDocumentExtensions.push_back(DocumentExtension{ext, type, creator});
}

OSType FileTypeForName(const std::string& diskName) {
  if (const DocumentExtension* d = FindDocumentExtension(diskName)) return d->type;
  std::string ext = LowerExtension(diskName);
  if (ext.empty()) return 0;
  for (const ExtensionType& e : kExtensionTypes) {
    if (ext == e.extension) return e.type;
  }
  return 0;
}

std::string SidecarPathFor(const std::string& filePath) {
  return HostJoinPath(HostParentPath(filePath), "._" + HostLastComponent(filePath));
}

bool IsSidecarName(const std::string& diskName) { return diskName.size() > 2 && diskName.compare(0, 2, "._") == 0; }

void DefaultFinderInfo(const std::string& filePath, FInfo* finfo, FXInfo* fxinfo) {
  *finfo = FInfo();
  *fxinfo = FXInfo();
  finfo->fdType = FileTypeForName(HostLastComponent(filePath));
  if (const DocumentExtension* d = FindDocumentExtension(HostLastComponent(filePath))) finfo->fdCreator = d->creator;
}

OSErr LoadSidecar(const std::string& filePath, AppleDoubleInfo* info) {
  std::string bytes;
  OSErr err = HostReadFile(SidecarPathFor(filePath), &bytes, kMaxSidecarBytes);
  AppleDoubleInfo out;
  if (err == fnfErr) {
    err = noErr;
  } else if (err == noErr) {
    err = ParseAppleDouble(bytes, &out);
  }
  if (err != noErr) return err;
  if (!out.hasFinderInfo) DefaultFinderInfo(filePath, &out.finderInfo, &out.extFinderInfo);
  *info = std::move(out);
  return noErr;
}

OSErr StoreSidecar(const std::string& filePath, const AppleDoubleInfo& info) {
  AppleDoubleInfo out = info;
  out.hasResourceFork = !out.resourceFork.empty();
  bool needed = out.hasResourceFork || !out.otherEntries.empty() || !out.finderInfoTail.empty() ||
                !IsDefaultFinderInfo(filePath, out);
  std::string sidecar = SidecarPathFor(filePath);
  if (!needed) {
    if (unlink(sidecar.c_str()) != 0 && errno != ENOENT) return HostErrorToOSErr(errno);
    return noErr;
  }
  out.hasFinderInfo = true;
  if (out.resourceFork.size() > kMaxSidecarBytes) return paramErr;
  return HostWriteFileAtomically(sidecar, BuildAppleDouble(out));
}

OSErr UpdateSidecar(const std::string& filePath, const std::function<OSErr(AppleDoubleInfo*)>& change) {
  std::lock_guard<std::mutex> guard(gSidecarLock);
  AppleDoubleInfo info;
  OSErr err = LoadSidecar(filePath, &info);
  if (err == noErr) err = change(&info);
  if (err == noErr) err = StoreSidecar(filePath, info);
  return err;
}

OSErr MoveSidecar(const std::string& oldFilePath, const std::string& newFilePath) {
  std::lock_guard<std::mutex> guard(gSidecarLock);
  std::string from = SidecarPathFor(oldFilePath);
  if (!HostPathPresent(from)) {
    unlink(SidecarPathFor(newFilePath).c_str());  // a stale sidecar must not adopt the file
    return noErr;
  }
  if (rename(from.c_str(), SidecarPathFor(newFilePath).c_str()) != 0) return HostErrorToOSErr(errno);
  // Under its new name the file may say by its extension what the sidecar held.
  AppleDoubleInfo info;
  if (LoadSidecar(newFilePath, &info) == noErr) StoreSidecar(newFilePath, info);
  return noErr;
}

void RemoveSidecar(const std::string& filePath) {
  std::lock_guard<std::mutex> guard(gSidecarLock);
  unlink(SidecarPathFor(filePath).c_str());
}

OSErr FSpGetFInfo(const FSSpec* fileSpec, FInfo* fndrInfo) {
  if (!fndrInfo) return paramErr;
  std::string path;
  OSErr err = FilePathOfSpec(fileSpec, &path);
  if (err != noErr) return err;
  AppleDoubleInfo info;
  err = LoadSidecar(path, &info);
  if (err != noErr) return err;
  *fndrInfo = info.finderInfo;
  if (HostIsLink(path)) fndrInfo->fdFlags |= kIsAlias;  // alias files are links here
  return noErr;
}

OSErr FSpSetFInfo(const FSSpec* fileSpec, const FInfo* fndrInfo) {
  if (!fndrInfo) return paramErr;
  std::string path;
  OSErr err = FilePathOfSpec(fileSpec, &path);
  if (err != noErr) return err;
  FInfo wanted = *fndrInfo;
  return UpdateSidecar(path, [&](AppleDoubleInfo* info) {
    info->finderInfo = wanted;
    return noErr;
  });
}

OSErr HGetFInfo(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, FInfo* fndrInfo) {
  FSSpec fileSpec;
  OSErr err = FSMakeFSSpec(vRefNum, dirID, fileName, &fileSpec);
  return err == noErr ? FSpGetFInfo(&fileSpec, fndrInfo) : err;
}

OSErr HSetFInfo(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, const FInfo* fndrInfo) {
  FSSpec fileSpec;
  OSErr err = FSMakeFSSpec(vRefNum, dirID, fileName, &fileSpec);
  return err == noErr ? FSpSetFInfo(&fileSpec, fndrInfo) : err;
}

OSErr ReadResourceForkBytes(const FSSpec* fileSpec, std::string* bytes) {
  if (!bytes) return paramErr;
  std::string path;
  OSErr err = FilePathOfSpec(fileSpec, &path);
  if (err != noErr) return err;
  AppleDoubleInfo info;
  err = LoadSidecar(path, &info);
  if (err == noErr) *bytes = std::move(info.resourceFork);
  return err;
}

OSErr WriteResourceForkBytes(const FSSpec* fileSpec, const std::string& bytes) {
  std::string path;
  OSErr err = FilePathOfSpec(fileSpec, &path);
  if (err != noErr) return err;
  return UpdateSidecar(path, [&](AppleDoubleInfo* info) {
    info->resourceFork = bytes;
    return noErr;
  });
}

bool SpecHasResourceFork(const FSSpec* fileSpec) {
  std::string bytes;
  return ReadResourceForkBytes(fileSpec, &bytes) == noErr && !bytes.empty();
}
