// Creating, deleting, renaming, moving and exchanging files and folders, sidecars included.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/files/catalog.h"
#include "platform/files/file_faults.h"
#include "platform/files/file_locations.h"
#include "platform/files/files_internal.h"
#include "platform/files/forks.h"
#include "platform/files/host_files.h"
#include "platform/files/sidecars.h"

namespace {

// Path for an item about to be made: dupFNErr when something is there already.
OSErr NewItemPath(const FSSpec* fileSpec, std::string* path) {
  OSErr err = ResolveSpecPath(fileSpec, path);
  if (err == noErr) return dupFNErr;
  return err == fnfErr ? OSErr(noErr) : err;
}

bool IsFolderPath(const std::string& path) {
  bool folder = false;
  return HostPathExists(path, &folder) && folder && !HostIsLink(path);
}

void RemoveLeftovers(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (struct dirent* e = readdir(dir)) {
      std::string name = e->d_name;
      if (IsSidecarName(name) || name.rfind(kTempFilePrefix, 0) == 0) names.push_back(name);
    }
    closedir(dir);
  }
  for (const std::string& name : names) unlink(HostJoinPath(folder, name).c_str());
}

// Removes an empty folder; sidecars and our temporaries left inside do not count as items.
OSErr RemoveFolder(const std::string& path) {
  std::vector<std::string> items;
  OSErr err = HostListFolder(path, &items);
  if (err != noErr) return err;
  if (!items.empty()) return fBsyErr;
  if (rmdir(path.c_str()) != 0) {
    int e = errno;
    if (e != ENOTEMPTY && e != EEXIST) return HostErrorToOSErr(e);
    // Only leftovers remain: orphaned sidecars whose files are gone, stale temporaries.
    RemoveLeftovers(path);
    if (rmdir(path.c_str()) != 0) return HostErrorToOSErr(errno);
  }
  RemoveSidecar(path);
  return noErr;
}

// Moves an item (and its sidecar, folder ids and open forks) to a free path.
OSErr MoveItem(const std::string& from, const std::string& to) {
  if (from == to) return noErr;
  if (HostPathPresent(to)) return dupFNErr;
  bool folder = IsFolderPath(from);
  if (folder && to.compare(0, from.size() + 1, from + "/") == 0) return badMovErr;
  if (rename(from.c_str(), to.c_str()) != 0) return HostErrorToOSErr(errno);
  OSErr err = MoveSidecar(from, to);
  if (err != noErr) {
    rename(to.c_str(), from.c_str());
    return err;
  }
  if (folder) MoveDirIDs(from, to);
  MoveOpenForkPaths(from, to);
  return noErr;
}

// Makes a rename in folder last through a power failure; a folder that cannot be synced
// (some file systems refuse) is left as it is.
void SyncFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

OSErr ExchangePaths(const std::string& a, const std::string& b) {
  if (renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0) return noErr;
  if (errno != EINVAL && errno != ENOSYS) return HostErrorToOSErr(errno);
  std::string temp = HostJoinPath(HostParentPath(a), std::string(kTempFilePrefix) + "exchange");
  if (rename(a.c_str(), temp.c_str()) != 0) return HostErrorToOSErr(errno);
  if (rename(b.c_str(), a.c_str()) != 0) {
    int e = errno;
    rename(temp.c_str(), a.c_str());
    return HostErrorToOSErr(e);
  }
  return rename(temp.c_str(), b.c_str()) == 0 ? OSErr(noErr) : HostErrorToOSErr(errno);
}

}  // namespace

OSErr FSpCreate(const FSSpec* fileSpec, OSType creator, OSType fileType, SInt16 /*scriptTag*/) {
  std::string path;
  OSErr err = NewItemPath(fileSpec, &path);
  if (err == noErr) err = TakeFileFault(kFileFaultCreate);
  if (err != noErr) return err;
  int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) return HostErrorToOSErr(errno, dirNFErr);
  close(fd);
  AppleDoubleInfo info;  // fresh: a sidecar left from an earlier file of that name goes
  info.finderInfo.fdType = fileType;
  info.finderInfo.fdCreator = creator;
  err = StoreSidecar(path, info);
  if (err != noErr) unlink(path.c_str());
  return err;
}

OSErr HCreate(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, OSType creator, OSType fileType) {
  FSSpec fileSpec;
  OSErr err = FSMakeFSSpec(vRefNum, dirID, fileName, &fileSpec);
  if (err == noErr) return dupFNErr;
  return err == fnfErr ? FSpCreate(&fileSpec, creator, fileType, 0) : err;
}

OSErr FSpDirCreate(const FSSpec* fileSpec, SInt16 /*scriptTag*/, SInt32* createdDirID) {
  std::string path;
  OSErr err = NewItemPath(fileSpec, &path);
  if (err != noErr) return err;
  if (mkdir(path.c_str(), 0777) != 0) return HostErrorToOSErr(errno, dirNFErr);
  RemoveSidecar(path);
  if (createdDirID) *createdDirID = DirIDForPath(path);
  return noErr;
}

OSErr DirCreate(SInt16 vRefNum, SInt32 parentDirID, ConstStr255Param directoryName, SInt32* createdDirID) {
  FSSpec fileSpec;
  OSErr err = FSMakeFSSpec(vRefNum, parentDirID, directoryName, &fileSpec);
  if (err == noErr) return dupFNErr;
  return err == fnfErr ? FSpDirCreate(&fileSpec, 0, createdDirID) : err;
}

OSErr FSpDelete(const FSSpec* fileSpec) {
  std::string path;
  OSErr err = ResolveSpecPath(fileSpec, &path);
  if (err != noErr) return err;
  if (path == "/") return fBsyErr;
  if (IsFolderPath(path)) return RemoveFolder(path);
  if (IsPathOpen(path)) return fBsyErr;
  if (unlink(path.c_str()) != 0) return HostErrorToOSErr(errno);
  RemoveSidecar(path);
  return noErr;
}

OSErr FSDeleteObject(const FSRef* ref) {
  FSSpec fileSpec;
  OSErr err = FSRefToFSSpec(ref, &fileSpec);
  return err == noErr ? FSpDelete(&fileSpec) : err;
}

OSErr FSpRename(const FSSpec* fileSpec, ConstStr255Param newName) {
  std::string path;
  OSErr err = ResolveSpecPath(fileSpec, &path);
  if (err != noErr) return err;
  std::string disk;
  if (path == "/" || !MacNameToDiskName(newName, &disk)) return bdNamErr;
  if (OSErr fault = TakeFileFault(kFileFaultRename)) return fault;
  return MoveItem(path, HostJoinPath(HostParentPath(path), disk));
}

OSErr FSpCatMove(const FSSpec* source, const FSSpec* dest) {
  std::string from;
  OSErr err = ResolveSpecPath(source, &from);
  if (err != noErr) return err;
  std::string folder;
  err = ResolveSpecPath(dest, &folder);
  if (err == fnfErr || (err == noErr && !IsFolderPath(folder))) return dirNFErr;
  if (err != noErr) return err;
  if (from == "/") return badMovErr;
  return MoveItem(from, HostJoinPath(folder, HostLastComponent(from)));
}

OSErr CatMove(SInt16 vRefNum, SInt32 dirID, ConstStr255Param oldName, SInt32 newDirID, ConstStr255Param newName) {
  FSSpec source;
  FSSpec dest;
  OSErr err = FSMakeFSSpec(vRefNum, dirID, oldName, &source);
  if (err != noErr) return err;
  err = FSMakeFSSpec(vRefNum, newDirID, newName, &dest);
  if (err == fnfErr) return dirNFErr;
  return err == noErr ? FSpCatMove(&source, &dest) : err;
}

OSErr FSpReplaceDataFork(const FSSpec* source, const FSSpec* target) {
  std::string from;
  std::string to;
  OSErr err = ResolveSpecPath(source, &from);
  if (err == noErr) err = ResolveSpecPath(target, &to);
  if (err != noErr) return err;
  if (IsFolderPath(from) || IsFolderPath(to)) return notAFileErr;
  if (from == to) return noErr;
  if (IsPathOpen(from)) return fBsyErr;
  if (OSErr fault = TakeFileFault(kFileFaultRename)) return fault;
  if (rename(from.c_str(), to.c_str()) != 0) return HostErrorToOSErr(errno);
  RemoveSidecar(from);
  SyncFolder(HostParentPath(to));
  return noErr;
}

OSErr FSpExchangeFiles(const FSSpec* source, const FSSpec* dest) {
  std::string a;
  std::string b;
  OSErr err = ResolveSpecPath(source, &a);
  if (err == noErr) err = ResolveSpecPath(dest, &b);
  if (err != noErr) return err;
  if (IsFolderPath(a) || IsFolderPath(b)) return notAFileErr;
  if (a == b) return noErr;
  if (IsPathOpen(a) || IsPathOpen(b)) return fBsyErr;
  AppleDoubleInfo infoA;
  AppleDoubleInfo infoB;
  err = LoadSidecar(a, &infoA);
  if (err == noErr) err = LoadSidecar(b, &infoB);
  if (err == noErr) err = ExchangePaths(a, b);
  if (err != noErr) return err;
  std::swap(infoA.resourceFork, infoB.resourceFork);
  err = StoreSidecar(a, infoA);
  OSErr errB = StoreSidecar(b, infoB);
  return err != noErr ? err : errB;
}
