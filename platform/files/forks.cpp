// The open fork table: data forks read and written in place, resource forks held in memory
// and written back to the sidecar.
#include "platform/files/forks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "platform/files/file_faults.h"
#include "platform/files/file_locations.h"
#include "platform/files/files_internal.h"
#include "platform/files/host_files.h"

namespace {

constexpr size_t kMaxOpenForks = 1024;
constexpr char16_t kResourceForkName[] = u"RESOURCE_FORK";
constexpr size_t kResourceForkNameLength = 13;

struct OpenFork {
  std::mutex lock;    // guards everything below except path
  std::string path;   // guarded by the table lock (a rename may move it)
  bool resource = false;
  bool canRead = false;
  bool canWrite = false;
  bool shared = false;
  int fd = -1;
  UInt64 mark = 0;
  std::string bytes;  // the resource fork
  bool dirty = false;
};
using ForkPtr = std::shared_ptr<OpenFork>;

struct ForkTable {
  std::mutex lock;
  std::map<FSIORefNum, ForkPtr> forks;
  FSIORefNum next = 1;
};

ForkTable& Table() {
  static ForkTable table;
  return table;
}

ForkPtr FindFork(FSIORefNum refNum) {
  ForkTable& t = Table();
  std::lock_guard<std::mutex> guard(t.lock);
  auto it = t.forks.find(refNum);
  return it == t.forks.end() ? nullptr : it->second;
}

std::string ForkPath(const OpenFork& fork) {
  ForkTable& t = Table();
  std::lock_guard<std::mutex> guard(t.lock);
  return fork.path;
}

bool IsUnder(const std::string& path, const std::string& folder) {
  return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                            path[folder.size()] == '/');
}

// Issues a refnum for fork (cycling, so a stale refnum rarely names a new fork); opWrErr
// when another path writes the same fork and either does not share.
OSErr AddFork(const ForkPtr& fork, FSIORefNum* refNum) {
  ForkTable& t = Table();
  std::lock_guard<std::mutex> guard(t.lock);
  if (t.forks.size() >= kMaxOpenForks) return tmfoErr;
  if (fork->canWrite) {
    for (auto& [num, other] : t.forks) {
      if (other->path == fork->path && other->resource == fork->resource && other->canWrite &&
          !(other->shared && fork->shared))
        return opWrErr;
    }
  }
  while (t.forks.count(t.next)) t.next = t.next >= 32767 ? 1 : FSIORefNum(t.next + 1);
  *refNum = t.next;
  t.next = t.next >= 32767 ? 1 : FSIORefNum(t.next + 1);
  t.forks.emplace(*refNum, fork);
  return noErr;
}

OSErr SetPermissions(SInt8 permission, OpenFork* fork) {
  switch (permission) {
    case fsCurPerm:
    case fsRdWrPerm: fork->canRead = fork->canWrite = true; return noErr;
    case fsRdPerm: fork->canRead = true; return noErr;
    case fsWrPerm: fork->canWrite = true; return noErr;
    case fsRdWrShPerm: fork->canRead = fork->canWrite = fork->shared = true; return noErr;
    default: return paramErr;
  }
}

OSErr OpenDataFork(SInt8 permission, OpenFork* fork) {
  int flags = (fork->canRead && fork->canWrite) ? O_RDWR : fork->canWrite ? O_WRONLY : O_RDONLY;
  fork->fd = open(fork->path.c_str(), flags | O_CLOEXEC);
  if (fork->fd < 0 && permission == fsCurPerm && (errno == EACCES || errno == EROFS || errno == EPERM)) {
    fork->canWrite = false;
    fork->fd = open(fork->path.c_str(), O_RDONLY | O_CLOEXEC);
  }
  return fork->fd < 0 ? HostErrorToOSErr(errno) : OSErr(noErr);
}

OSErr OpenResourceFork(SInt8 permission, OpenFork* fork) {
  if (fork->canWrite && access(fork->path.c_str(), W_OK) != 0) {
    if (permission != fsCurPerm) return HostErrorToOSErr(errno);
    fork->canWrite = false;
  }
  AppleDoubleInfo info;
  OSErr err = LoadSidecar(fork->path, &info);
  if (err == noErr) fork->bytes = std::move(info.resourceFork);
  return err;
}

OSErr OpenForkAtPath(const std::string& path, bool resource, SInt8 permission, OSErr folderErr,
                     FSIORefNum* refNum) {
  if (!refNum) return paramErr;
  bool folder = false;
  if (!HostPathExists(path, &folder)) return fnfErr;
  if (folder) return folderErr;
  auto fork = std::make_shared<OpenFork>();
  fork->path = path;
  fork->resource = resource;
  OSErr err = SetPermissions(permission, fork.get());
  if (err == noErr) err = resource ? OpenResourceFork(permission, fork.get()) : OpenDataFork(permission, fork.get());
  if (err == noErr) err = AddFork(fork, refNum);
  if (err != noErr && fork->fd >= 0) close(fork->fd);
  return err;
}

// Current logical size; -1 for a data fork without one (a device).
SInt64 ForkSize(const OpenFork& fork) {
  if (fork.resource) return SInt64(fork.bytes.size());
  struct stat st;
  if (fstat(fork.fd, &st) != 0 || !S_ISREG(st.st_mode)) return -1;
  return st.st_size;
}

// Position named by a mode and offset; posErr before the start.
OSErr TargetPosition(const OpenFork& fork, UInt16 positionMode, SInt64 offset, SInt64* position) {
  SInt64 base = 0;
  switch (positionMode & 3) {
    case fsAtMark: *position = SInt64(fork.mark); return noErr;
    case fsFromStart: base = 0; break;
    case fsFromLEOF: base = std::max<SInt64>(ForkSize(fork), 0); break;
    case fsFromMark: base = SInt64(fork.mark); break;
  }
  if ((offset < 0 && base + offset < 0) || (offset > 0 && offset > INT64_MAX - base)) return posErr;
  *position = base + offset;
  return noErr;
}

OSErr WriteBackResourceFork(OpenFork* fork) {
  if (!fork->dirty) return noErr;
  std::string path = ForkPath(*fork);
  if (!HostPathPresent(path)) return fnfErr;
  std::string bytes = fork->bytes;
  OSErr err = UpdateSidecar(path, [&](AppleDoubleInfo* info) {
    info->resourceFork = std::move(bytes);
    return noErr;
  });
  if (err == noErr) fork->dirty = false;
  return err;
}

OSErr ReadData(OpenFork* fork, SInt64 position, ByteCount count, void* buffer, ByteCount* actual) {
  char* out = static_cast<char*>(buffer);
  while (*actual < count) {
    ssize_t n = pread(fork->fd, out + *actual, count - *actual, off_t(position + *actual));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return HostErrorToOSErr(errno, ioErr);
    if (n == 0) return eofErr;
    *actual += ByteCount(n);
  }
  return noErr;
}

OSErr WriteData(OpenFork* fork, SInt64 position, ByteCount count, const void* buffer, ByteCount* actual) {
  const char* in = static_cast<const char*>(buffer);
  if (OSErr fault = TakeFileFault(kFileFaultWrite)) return fault;
  while (*actual < count) {
    ssize_t n = pwrite(fork->fd, in + *actual, count - *actual, off_t(position + *actual));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return HostErrorToOSErr(errno, ioErr);
    if (n == 0) return dskFulErr;
    *actual += ByteCount(n);
  }
  return noErr;
}

OSErr ClassicOpen(const FSSpec* fileSpec, bool resource, SInt8 permission, FSIORefNum* refNum) {
  std::string path;
  OSErr err = ResolveSpecPath(fileSpec, &path);
  return err == noErr ? OpenForkAtPath(path, resource, permission, fnfErr, refNum) : err;
}

}  // namespace

OSErr FSGetDataForkName(HFSUniStr255* dataForkName) {
  if (!dataForkName) return paramErr;
  *dataForkName = HFSUniStr255();
  return noErr;
}

OSErr FSGetResourceForkName(HFSUniStr255* resourceForkName) {
  if (!resourceForkName) return paramErr;
  *resourceForkName = HFSUniStr255();
  resourceForkName->length = kResourceForkNameLength;
  for (size_t i = 0; i < kResourceForkNameLength; ++i) resourceForkName->unicode[i] = kResourceForkName[i];
  return noErr;
}

OSErr FSOpenFork(const FSRef* ref, UniCharCount forkNameLength, const UniChar* forkName, SInt8 permissions,
                 FSIORefNum* forkRefNum) {
  std::string path = RefToPath(ref);
  if (path.empty()) return errFSBadFSRef;
  bool resource = false;
  if (forkNameLength == kResourceForkNameLength && forkName &&
      std::memcmp(forkName, kResourceForkName, kResourceForkNameLength * sizeof(UniChar)) == 0) {
    resource = true;
  } else if (forkNameLength != 0) {
    return errFSForkNotFound;
  }
  return OpenForkAtPath(path, resource, permissions, notAFileErr, forkRefNum);
}

OSErr FSReadFork(FSIORefNum forkRefNum, UInt16 positionMode, SInt64 positionOffset, ByteCount requestCount,
                 void* buffer, ByteCount* actualCount) {
  ByteCount actual = 0;
  if (actualCount) *actualCount = 0;
  ForkPtr fork = FindFork(forkRefNum);
  if (!fork) return rfNumErr;
  if (!buffer && requestCount > 0) return paramErr;
  std::lock_guard<std::mutex> guard(fork->lock);
  if (!fork->canRead) return permErr;
  SInt64 position = 0;
  OSErr err = TargetPosition(*fork, positionMode, positionOffset, &position);
  if (err != noErr) return err;
  SInt64 size = ForkSize(*fork);
  if (size >= 0 && position > size) {
    fork->mark = UInt64(size);
    return eofErr;
  }
  if (fork->resource) {
    actual = ByteCount(std::min<UInt64>(requestCount, UInt64(size - position)));
    std::memcpy(buffer, fork->bytes.data() + position, actual);
    err = actual < requestCount ? eofErr : OSErr(noErr);
  } else {
    err = ReadData(fork.get(), position, requestCount, buffer, &actual);
  }
  fork->mark = UInt64(position) + actual;
  if (actualCount) *actualCount = actual;
  return err;
}

OSErr FSWriteFork(FSIORefNum forkRefNum, UInt16 positionMode, SInt64 positionOffset, ByteCount requestCount,
                  const void* buffer, ByteCount* actualCount) {
  ByteCount actual = 0;
  if (actualCount) *actualCount = 0;
  ForkPtr fork = FindFork(forkRefNum);
  if (!fork) return rfNumErr;
  if (!buffer && requestCount > 0) return paramErr;
  std::lock_guard<std::mutex> guard(fork->lock);
  if (!fork->canWrite) return wrPermErr;
  SInt64 position = 0;
  OSErr err = TargetPosition(*fork, positionMode, positionOffset, &position);
  if (err != noErr) return err;
  if (fork->resource) {
    UInt64 end = UInt64(position) + requestCount;
    if (end > kMaxSidecarBytes) return dskFulErr;
    if (end > fork->bytes.size()) fork->bytes.resize(size_t(end), '\0');
    std::memcpy(fork->bytes.data() + position, buffer, requestCount);
    actual = requestCount;
    fork->dirty = true;
  } else {
    err = WriteData(fork.get(), position, requestCount, buffer, &actual);
  }
  fork->mark = UInt64(position) + actual;
  if (actualCount) *actualCount = actual;
  return err;
}

OSErr FSSetForkPosition(FSIORefNum forkRefNum, UInt16 positionMode, SInt64 positionOffset) {
  ForkPtr fork = FindFork(forkRefNum);
  if (!fork) return rfNumErr;
  std::lock_guard<std::mutex> guard(fork->lock);
  SInt64 position = 0;
  OSErr err = TargetPosition(*fork, positionMode, positionOffset, &position);
  if (err != noErr) return err;
  SInt64 size = ForkSize(*fork);
  if (size >= 0 && position > size) {
    fork->mark = UInt64(size);
    return eofErr;
  }
  fork->mark = UInt64(position);
  return noErr;
}

OSErr FSGetForkPosition(FSIORefNum forkRefNum, SInt64* position) {
  ForkPtr fork = FindFork(forkRefNum);
  if (!fork) return rfNumErr;
  if (!position) return paramErr;
  std::lock_guard<std::mutex> guard(fork->lock);
  *position = SInt64(fork->mark);
  return noErr;
}

OSErr FSGetForkSize(FSIORefNum forkRefNum, SInt64* forkSize) {
  ForkPtr fork = FindFork(forkRefNum);
  if (!fork) return rfNumErr;
  if (!forkSize) return paramErr;
  std::lock_guard<std::mutex> guard(fork->lock);
  *forkSize = std::max<SInt64>(ForkSize(*fork), 0);
  return noErr;
}

OSErr FSSetForkSize(FSIORefNum forkRefNum, UInt16 positionMode, SInt64 positionOffset) {
  ForkPtr fork = FindFork(forkRefNum);
  if (!fork) return rfNumErr;
  std::lock_guard<std::mutex> guard(fork->lock);
  if (!fork->canWrite) return wrPermErr;
  SInt64 size = 0;
  OSErr err = TargetPosition(*fork, positionMode, positionOffset, &size);
  if (err != noErr) return err;
  if (fork->resource) {
    if (UInt64(size) > kMaxSidecarBytes) return dskFulErr;
    fork->bytes.resize(size_t(size), '\0');
    fork->dirty = true;
  } else if (ftruncate(fork->fd, off_t(size)) != 0) {
    return HostErrorToOSErr(errno, ioErr);
  }
  if (fork->mark > UInt64(size)) fork->mark = UInt64(size);
  return noErr;
}

OSErr FSFlushFork(FSIORefNum forkRefNum) {
  ForkPtr fork = FindFork(forkRefNum);
  if (!fork) return rfNumErr;
  std::lock_guard<std::mutex> guard(fork->lock);
  if (fork->resource) return WriteBackResourceFork(fork.get());
  if (!fork->canWrite) return noErr;
  if (OSErr fault = TakeFileFault(kFileFaultSync)) return fault;
  if (fdatasync(fork->fd) != 0 && errno != EINVAL && errno != EROFS) return HostErrorToOSErr(errno, ioErr);
  return noErr;
}

OSErr FSCloseFork(FSIORefNum forkRefNum) {
  ForkPtr fork;
  {
    ForkTable& t = Table();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.forks.find(forkRefNum);
    if (it == t.forks.end()) return rfNumErr;
    fork = it->second;
    t.forks.erase(it);
  }
  std::lock_guard<std::mutex> guard(fork->lock);
  OSErr err = fork->resource ? WriteBackResourceFork(fork.get()) : OSErr(noErr);
  if (fork->fd >= 0 && close(fork->fd) != 0 && err == noErr) err = HostErrorToOSErr(errno, ioErr);
  if (fork->fd >= 0 && err == noErr) err = TakeFileFault(kFileFaultClose);
  fork->fd = -1;
  return err;
}

OSErr FSpOpenDF(const FSSpec* fileSpec, SInt8 permission, FSIORefNum* refNum) {
  return ClassicOpen(fileSpec, false, permission, refNum);
}

OSErr FSpOpenRF(const FSSpec* fileSpec, SInt8 permission, FSIORefNum* refNum) {
  return ClassicOpen(fileSpec, true, permission, refNum);
}

OSErr HOpenDF(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, SInt8 permission, FSIORefNum* refNum) {
  FSSpec fileSpec;
  OSErr err = FSMakeFSSpec(vRefNum, dirID, fileName, &fileSpec);
  return err == noErr ? FSpOpenDF(&fileSpec, permission, refNum) : err;
}

OSErr HOpenRF(SInt16 vRefNum, SInt32 dirID, ConstStr255Param fileName, SInt8 permission, FSIORefNum* refNum) {
  FSSpec fileSpec;
  OSErr err = FSMakeFSSpec(vRefNum, dirID, fileName, &fileSpec);
  return err == noErr ? FSpOpenRF(&fileSpec, permission, refNum) : err;
}

OSErr FSRead(FSIORefNum refNum, SInt32* count, void* buffPtr) {
  if (!count || *count < 0) return paramErr;
  ByteCount actual = 0;
  OSErr err = FSReadFork(refNum, fsAtMark, 0, ByteCount(*count), buffPtr, &actual);
  *count = SInt32(actual);
  return err;
}

OSErr FSWrite(FSIORefNum refNum, SInt32* count, const void* buffPtr) {
  if (!count || *count < 0) return paramErr;
  ByteCount actual = 0;
  OSErr err = FSWriteFork(refNum, fsAtMark, 0, ByteCount(*count), buffPtr, &actual);
  *count = SInt32(actual);
  return err;
}

OSErr SetFPos(FSIORefNum refNum, SInt16 posMode, SInt32 posOff) {
  return FSSetForkPosition(refNum, UInt16(posMode), SInt64(posOff));
}

OSErr GetFPos(FSIORefNum refNum, SInt32* filePos) {
  SInt64 position = 0;
  OSErr err = FSGetForkPosition(refNum, &position);
  if (err == noErr && filePos) *filePos = SInt32(UInt32(position));
  return err;
}

OSErr GetEOF(FSIORefNum refNum, SInt32* logEOF) {
  SInt64 size = 0;
  OSErr err = FSGetForkSize(refNum, &size);
  if (err == noErr && logEOF) *logEOF = SInt32(UInt32(size));
  return err;
}

OSErr SetEOF(FSIORefNum refNum, SInt32 logEOF) { return FSSetForkSize(refNum, fsFromStart, SInt64(logEOF)); }

OSErr FSClose(FSIORefNum refNum) { return FSCloseFork(refNum); }

OSErr GetForkSpec(FSIORefNum refNum, FSSpec* fileSpec) {
  ForkPtr fork = FindFork(refNum);
  if (!fork) return rfNumErr;
  return PathToSpec(ForkPath(*fork), fileSpec);
}

bool IsPathOpen(const std::string& path) {
  ForkTable& t = Table();
  std::lock_guard<std::mutex> guard(t.lock);
  for (auto& [num, fork] : t.forks) {
    if (fork->path == path) return true;
  }
  return false;
}

int CountOpenForks() {
  ForkTable& t = Table();
  std::lock_guard<std::mutex> guard(t.lock);
  return int(t.forks.size());
}

void MoveOpenForkPaths(const std::string& oldPath, const std::string& newPath) {
  ForkTable& t = Table();
  std::lock_guard<std::mutex> guard(t.lock);
  for (auto& [num, fork] : t.forks) {
    if (IsUnder(fork->path, oldPath)) fork->path = newPath + fork->path.substr(oldPath.size());
  }
}
