// FSSpec from names and paths, and back to host paths.
#include "platform/files/file_locations.h"

#include <cctype>
#include <cstring>

#include "platform/files/host_files.h"
#include "platform/text/mac_roman.h"

namespace {

bool IsOurVolume(SInt16 vRefNum) { return vRefNum == 0 || vRefNum == kZarinVRefNum; }

void SetRootSpec(FSSpec* fileSpec) {
  fileSpec->vRefNum = kZarinVRefNum;
  fileSpec->parID = fsRtParID;
  size_t n = std::strlen(kZarinVolumeName);
  fileSpec->name[0] = static_cast<unsigned char>(n);
  std::memcpy(fileSpec->name + 1, kZarinVolumeName, n);
}

bool IsVolumeName(const std::string& macText) {
  std::string vol = kZarinVolumeName;
  if (macText.size() != vol.size()) return false;
  for (size_t i = 0; i < vol.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(macText[i])) != std::tolower(static_cast<unsigned char>(vol[i])))
      return false;
  }
  return true;
}

bool IsFolder(const std::string& path) {
  bool folder = false;
  return HostPathExists(path, &folder) && folder;
}

// FSSpec of an existing folder path (the folder itself, named in its parent).
void SetFolderSpec(const std::string& folder, FSSpec* fileSpec) {
  if (folder == "/") {
    SetRootSpec(fileSpec);
    return;
  }
  fileSpec->vRefNum = kZarinVRefNum;
  fileSpec->parID = DirIDForPath(HostParentPath(folder));
  DiskNameToMacName(HostLastComponent(folder), fileSpec->name, 63);
}

// Start folder of a name lookup: dirID 0 is the working folder.
OSErr StartFolder(SInt32 dirID, std::string* folder) {
  *folder = dirID == 0 ? NormalizePath(".") : PathForDirID(dirID);
  return !folder->empty() && IsFolder(*folder) ? OSErr(noErr) : dirNFErr;
}

// Walks a Mac path (text after the volume or the leading ':'), leaving the last component
// (empty when the path names a folder) in *leaf and its folder in *folder.
OSErr WalkMacPath(const std::string& text, size_t pos, std::string* folder, std::string* leaf) {
  leaf->clear();
  while (pos < text.size()) {
    size_t colon = text.find(':', pos);
    std::string part = text.substr(pos, colon == std::string::npos ? std::string::npos : colon - pos);
    if (colon == std::string::npos) {
      *leaf = part;
      return noErr;
    }
    if (part.empty()) {
      std::string up = HostParentPath(*folder);
      if (!up.empty()) *folder = up;
    } else {
      if (part.size() > 255) return bdNamErr;
      Str255 name;
      name[0] = static_cast<unsigned char>(part.size());
      std::memcpy(name + 1, part.data(), part.size());
      std::string disk;
      if (!MacNameToDiskName(name, &disk)) return bdNamErr;
      FindDiskName(*folder, name, &disk);
      *folder = HostJoinPath(*folder, disk);
      if (!IsFolder(*folder)) return dirNFErr;
    }
    pos = colon + 1;
  }
  return noErr;
}

OSErr FillLeafSpec(const std::string& folder, const std::string& leaf, FSSpec* fileSpec) {
  if (leaf.empty()) {
    SetFolderSpec(folder, fileSpec);
    return noErr;
  }
  if (leaf.size() > 63) return bdNamErr;
  Str63 name;
  name[0] = static_cast<unsigned char>(leaf.size());
  std::memcpy(name + 1, leaf.data(), leaf.size());
  std::string disk;
  if (!MacNameToDiskName(name, &disk)) return bdNamErr;
  bool present = FindDiskName(folder, name, &disk);
  fileSpec->vRefNum = kZarinVRefNum;
  fileSpec->parID = DirIDForPath(folder);
  std::memcpy(fileSpec->name, name, size_t(name[0]) + 1);
  return present ? OSErr(noErr) : fnfErr;
}

}  // namespace

OSErr FSMakeFSSpec(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, FSSpec* fileSpec) {
  if (!fileSpec) return paramErr;
  if (!IsOurVolume(vRefNum)) return nsvErr;
  std::string text = fileName ? std::string(reinterpret_cast<const char*>(fileName + 1), fileName[0]) : "";
  std::string folder;
  if (dirID == fsRtParID && text.find(':') == std::string::npos) {
    if (text.empty() || IsVolumeName(text)) {
      SetRootSpec(fileSpec);
      return noErr;
    }
    return fnfErr;
  }
  size_t pos = 0;
  if (!text.empty() && text[0] != ':' && text.find(':') != std::string::npos) {
    size_t colon = text.find(':');
    if (!IsVolumeName(text.substr(0, colon))) return nsvErr;
    folder = "/";
    pos = colon + 1;
  } else {
    OSErr err = StartFolder(dirID, &folder);
    if (err != noErr) return err;
    if (!text.empty() && text[0] == ':') pos = 1;
  }
  std::string leaf;
  OSErr err = WalkMacPath(text, pos, &folder, &leaf);
  if (err != noErr) return err;
  return FillLeafSpec(folder, leaf, fileSpec);
}

std::string SpecFolderPath(const FSSpec* fileSpec) {
  if (!fileSpec || !IsOurVolume(fileSpec->vRefNum)) return "";
  return PathForDirID(fileSpec->parID);
}

std::string SpecDiskName(const FSSpec* fileSpec) {
  std::string folder = SpecFolderPath(fileSpec);
  std::string disk;
  if (folder.empty()) return "";
  FindDiskName(folder, fileSpec->name, &disk);
  return disk;
}

std::string SpecToPath(const FSSpec* fileSpec) {
  if (!fileSpec || !IsOurVolume(fileSpec->vRefNum)) return "";
  if (fileSpec->parID == fsRtParID) {
    std::string text(reinterpret_cast<const char*>(fileSpec->name + 1), fileSpec->name[0]);
    return text.empty() || IsVolumeName(text) ? "/" : "";
  }
  std::string folder = PathForDirID(fileSpec->parID);
  if (folder.empty() || fileSpec->name[0] == 0) return folder;
  std::string disk;
  if (!MacNameToDiskName(fileSpec->name, &disk)) return "";  // "." or a name with ':'
  FindDiskName(folder, fileSpec->name, &disk);
  return HostJoinPath(folder, disk);
}

OSErr PathToSpec(const std::string& path, FSSpec* fileSpec) {
  if (path.empty() || !fileSpec) return bdNamErr;
  std::string full = NormalizePath(path);
  if (full == "/") {
    SetRootSpec(fileSpec);
    return noErr;
  }
  std::string folder = HostParentPath(full);
  if (!IsFolder(folder)) return dirNFErr;
  fileSpec->vRefNum = kZarinVRefNum;
  fileSpec->parID = DirIDForPath(folder);
  DiskNameToMacName(HostLastComponent(full), fileSpec->name, 63);
  return HostPathPresent(full) ? OSErr(noErr) : fnfErr;
}

bool IsSameFSSpec(const FSSpec* a, const FSSpec* b) {
  if (!a || !b) return false;
  bool sameVolume = IsOurVolume(a->vRefNum) == IsOurVolume(b->vRefNum) &&
                    (IsOurVolume(a->vRefNum) || a->vRefNum == b->vRefNum);
  return sameVolume && a->parID == b->parID && a->name[0] == b->name[0] &&
         std::memcmp(a->name + 1, b->name + 1, a->name[0]) == 0;
}

std::string SpecToHFSPath(const FSSpec* fileSpec) {
  std::string path = SpecToPath(fileSpec);
  if (path.empty()) return "";
  std::string out = kZarinVolumeName;
  if (path == "/") return out + ":";
  size_t pos = 1;
  while (pos <= path.size()) {
    size_t slash = path.find('/', pos);
    if (slash == std::string::npos) slash = path.size();
    std::string part = path.substr(pos, slash - pos);
    for (char& c : part) {
      if (c == ':') c = '/';
    }
    out += ":" + part;
    pos = slash + 1;
  }
  return out;
}
