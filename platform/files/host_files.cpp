#include "platform/files/host_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/files/sidecars.h"

OSErr HostErrorToOSErr(int hostErrno, OSErr notFound) {
  switch (hostErrno) {
    case 0: return noErr;
    case ENOENT: return notFound;
    case ENOTDIR: return dirNFErr;
    case EACCES:
    case EPERM: return permErr;
    case EROFS: return wPrErr;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return dskFulErr;
    case EEXIST: return dupFNErr;
    case EBUSY:
    case ENOTEMPTY:
    case ETXTBSY: return fBsyErr;
    case EXDEV: return badMovErr;
    case ENAMETOOLONG: return bdNamErr;
    case EMFILE:
    case ENFILE: return tmfoErr;
    case EISDIR: return notAFileErr;
    case EINVAL: return paramErr;
    case ENOMEM: return memFullErr;
    default: return ioErr;
  }
}

bool HostPathExists(const std::string& path, bool* isFolder, UInt64* size) {
  struct stat st;
  if (path.empty() || stat(path.c_str(), &st) != 0) return false;
  if (isFolder) *isFolder = S_ISDIR(st.st_mode);
  if (size) *size = S_ISREG(st.st_mode) ? UInt64(st.st_size) : 0;
  return true;
}

bool HostPathPresent(const std::string& path) {
  struct stat st;
  return !path.empty() && lstat(path.c_str(), &st) == 0;
}

bool HostIsLink(const std::string& path) {
  struct stat st;
  return !path.empty() && lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

OSErr HostReadFile(const std::string& path, std::string* bytes, UInt64 maxBytes) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return HostErrorToOSErr(errno);
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || UInt64(st.st_size) > maxBytes) {
    close(fd);
    return ioErr;
  }
  std::string out(size_t(st.st_size), '\0');
  size_t done = 0;
  while (done < out.size()) {
    ssize_t n = read(fd, out.data() + done, out.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int e = errno;
      close(fd);
      return HostErrorToOSErr(e);
    }
    if (n == 0) break;
    done += size_t(n);
  }
  close(fd);
  out.resize(done);
  *bytes = std::move(out);
  return noErr;
}

namespace {

mode_t NewFileMode() {
  static std::once_flag once;
  static mode_t mask = 022;
  std::call_once(once, [] {
    FILE* f = fopen("/proc/self/status", "r");
    if (!f) return;
    char line[256];
    while (fgets(line, sizeof line, f)) {
      unsigned value;
      if (sscanf(line, "Umask: %o", &value) == 1) mask = mode_t(value);
    }
    fclose(f);
  });
  return 0666 & ~mask;
}

OSErr WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return HostErrorToOSErr(n < 0 ? errno : ENOSPC);
    done += size_t(n);
  }
  return noErr;
}

}  // namespace

OSErr HostWriteFileAtomically(const std::string& path, const std::string& bytes) {
  std::string temp = HostJoinPath(HostParentPath(path), std::string(kTempFilePrefix) + "XXXXXX");
  int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return HostErrorToOSErr(errno, dirNFErr);
  struct stat old;
  fchmod(fd, stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode());
  OSErr err = WriteAll(fd, bytes);
  if (err == noErr && fdatasync(fd) != 0) err = HostErrorToOSErr(errno);
  if (close(fd) != 0 && err == noErr) err = HostErrorToOSErr(errno);
  if (err == noErr && rename(temp.c_str(), path.c_str()) != 0) err = HostErrorToOSErr(errno);
  if (err != noErr) unlink(temp.c_str());
  return err;
}

OSErr HostListFolder(const std::string& folder, std::vector<std::string>* names) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return HostErrorToOSErr(errno, dirNFErr);
  names->clear();
  while (struct dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == ".." || IsSidecarName(name)) continue;
    if (name.rfind(kTempFilePrefix, 0) == 0) continue;
    names->push_back(std::move(name));
  }
  closedir(dir);
  std::sort(names->begin(), names->end());
  return noErr;
}

std::string HostParentPath(const std::string& path) {
  if (path == "/" || path.empty()) return "";
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string HostLastComponent(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string HostJoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}
