// Standard folders from the XDG variables, the temporary folder and the program's folder.
#include "platform/files/folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/files/file_locations.h"
#include "platform/files/host_files.h"

namespace {

constexpr const char* kAppFolderName = "Zarin";

std::mutex gFolderLock;
std::string gApplicationFolderOverride;
std::map<OSType, std::string> gRegisteredFolders;

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value && value[0] == '/' ? std::string(value) : fallback;
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  return home && home[0] ? std::string(home) : "/";
}

// Creates a folder and its missing parents.
OSErr MakeFolders(const std::string& path) {
  bool folder = false;
  if (HostPathExists(path, &folder)) return folder ? OSErr(noErr) : dupFNErr;
  std::string parent = HostParentPath(path);
  if (!parent.empty()) {
    OSErr err = MakeFolders(parent);
    if (err != noErr) return err;
  }
  if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) return HostErrorToOSErr(errno, dirNFErr);
  return noErr;
}

// Host path of a folder type and whether it may be created.
bool FolderForType(OSType folderType, std::string* path, bool* creatable) {
  *creatable = true;
  {
    // A registered folder overrides the standard place (tests point folders elsewhere).
    std::lock_guard<std::mutex> guard(gFolderLock);
    auto it = gRegisteredFolders.find(folderType);
    if (it != gRegisteredFolders.end()) {
      *path = NormalizePath(it->second);
      return true;
    }
  }
  if (folderType == kPreferencesFolderType) {
    *path = EnvOr("XDG_CONFIG_HOME", HomeFolder() + "/.config") + "/" + kAppFolderName;
  } else if (folderType == kApplicationSupportFolderType) {
    *path = EnvOr("XDG_DATA_HOME", HomeFolder() + "/.local/share") + "/" + kAppFolderName;
  } else if (folderType == kTemporaryFolderType) {
    *path = EnvOr("TMPDIR", "/tmp");
    *creatable = false;
  } else if (folderType == kFrameworksFolderType) {
    *path = GetApplicationFolder() + "/Frameworks";
    *creatable = false;
  } else {
    return false;
  }
  *path = NormalizePath(*path);
  return true;
}

}  // namespace

std::string StandardFolderPath(SInt16 vRefNum, OSType folderType, Boolean createFolder, OSErr* err) {
  OSErr result = noErr;
  std::string path;
  bool creatable = false;
  bool folder = false;
  if (vRefNum == kNetworkDomain || !FolderForType(folderType, &path, &creatable)) {
    result = fnfErr;
  } else if (!HostPathExists(path, &folder)) {
    result = createFolder && creatable ? MakeFolders(path) : fnfErr;
  } else if (!folder) {
    result = fnfErr;
  }
  if (err) *err = result;
  return result == noErr ? path : std::string();
}

OSErr FSFindFolder(SInt16 vRefNum, OSType folderType, Boolean createFolder, SInt16* foundVRefNum,
                   SInt32* foundDirID) {
  OSErr err = noErr;
  std::string path = StandardFolderPath(vRefNum, folderType, createFolder, &err);
  if (err != noErr) return err;
  if (foundVRefNum) *foundVRefNum = kZarinVRefNum;
  if (foundDirID) *foundDirID = DirIDForPath(path);
  return noErr;
}

OSErr FSFindFolder(SInt16 vRefNum, OSType folderType, Boolean createFolder, FSRef* foundRef) {
  OSErr err = noErr;
  std::string path = StandardFolderPath(vRefNum, folderType, createFolder, &err);
  return err == noErr ? FSPathMakeRef(path, foundRef) : err;
}

OSErr FindFolder(SInt16 vRefNum, OSType folderType, Boolean createFolder, SInt16* foundVRefNum, SInt32* foundDirID) {
  return FSFindFolder(vRefNum, folderType, createFolder, foundVRefNum, foundDirID);
}

std::string GetApplicationFolder() {
  {
    std::lock_guard<std::mutex> guard(gFolderLock);
    if (!gApplicationFolderOverride.empty()) return gApplicationFolderOverride;
  }
  char buffer[4096];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return NormalizePath(".");
  return HostParentPath(NormalizePath(std::string(buffer, size_t(n))));
}

void SetApplicationFolder(const std::string& path) {
  std::lock_guard<std::mutex> guard(gFolderLock);
  gApplicationFolderOverride = path.empty() ? std::string() : NormalizePath(path);
}

OSErr GetApplicationFolderSpec(FSSpec* fileSpec) { return PathToSpec(GetApplicationFolder(), fileSpec); }

void RegisterStandardFolder(OSType folderType, const std::string& path) {
  std::lock_guard<std::mutex> guard(gFolderLock);
  if (path.empty()) {
    gRegisteredFolders.erase(folderType);
  } else {
    gRegisteredFolders[folderType] = path;
  }
}
