#include "platform/files/temporary_files.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/files/file_locations.h"
#include "platform/files/files_internal.h"
#include "platform/files/forks.h"
#include "platform/files/host_files.h"

namespace {

constexpr int32_t kMaxNameTries = 1000;
std::atomic<uint32_t> gTempCounter{0};

// The process that wrote a temporary of our naming, or 0 when the name is not one.
pid_t WriterOfTemporary(const std::string& name) {
  std::string prefix = kSaveTempPrefix;
  if (name.compare(0, prefix.size(), prefix) != 0) return 0;
  char* end = nullptr;
  long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
  return (pid > 0 && end && *end == '-') ? pid_t(pid) : 0;
}

bool IsProcessGone(pid_t pid) { return kill(pid, 0) != 0 && errno == ESRCH; }

bool IsStale(const std::string& path, pid_t writer) {
  if (writer == getpid()) return !IsPathOpen(path);
  return IsProcessGone(writer);
}

std::string FolderOf(const FSSpec* beside) {
  std::string path;
  OSErr err = ResolveSpecPath(beside, &path);
  return (err == noErr || err == fnfErr) ? HostParentPath(path) : std::string();
}

}  // namespace

OSErr MakeSaveTempSpec(const FSSpec* beside, FSSpec* temp) {
  for (int32_t tries = 0; tries < kMaxNameTries; ++tries) {
    std::string name = std::string(kSaveTempPrefix) + std::to_string(getpid()) + "-" +
                       std::to_string(++gTempCounter);
    Str255 macName;
    macName[0] = uint8_t(name.size());
    name.copy(reinterpret_cast<char*>(macName + 1), name.size());
    OSErr err = FSMakeFSSpec(beside->vRefNum, beside->parID, macName, temp);
    if (err == fnfErr) return noErr;
    if (err != noErr) return err;
  }
  return dupFNErr;
}

int32_t RemoveStaleSaveTemporaries(const FSSpec* beside) {
  std::string folder = FolderOf(beside);
  if (folder.empty()) return 0;
  std::vector<std::string> stale;
  if (DIR* dir = opendir(folder.c_str())) {
    while (struct dirent* e = readdir(dir)) {
      pid_t writer = WriterOfTemporary(e->d_name);
      std::string path = HostJoinPath(folder, e->d_name);
      if (writer != 0 && IsStale(path, writer)) stale.push_back(path);
    }
    closedir(dir);
  }
  int32_t removed = 0;
  for (const std::string& path : stale) {
    if (unlink(path.c_str()) != 0) continue;
    RemoveSidecar(path);
    ++removed;
  }
  return removed;
}
