// The directory id registry: folder paths to 32-bit ids, issued on first use and kept for
// the run. "/" is fsRtDirID (2); ids follow folders that are renamed or moved through us.
#include <unistd.h>

#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/files/file_locations.h"

namespace {

constexpr SInt32 kFirstIssuedDirID = 16;

struct DirectoryRegistry {
  std::mutex lock;
  std::unordered_map<std::string, SInt32> idsByPath{{"/", fsRtDirID}};
  std::unordered_map<SInt32, std::string> pathsByID{{fsRtDirID, "/"}};
  SInt32 nextID = kFirstIssuedDirID;
};

DirectoryRegistry& Registry() {
  static DirectoryRegistry registry;
  return registry;
}

bool IsUnder(const std::string& path, const std::string& folder) {
  if (folder == "/") return !path.empty() && path[0] == '/';
  return path == folder || (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                            path[folder.size()] == '/');
}

}  // namespace

std::string NormalizePath(const std::string& path) {
  std::string full = path;
  if (full.empty() || full[0] != '/') {
    char cwd[4096];
    std::string base = getcwd(cwd, sizeof cwd) ? cwd : "/";
    full = base + "/" + full;
  }
  std::vector<std::string> parts;
  size_t pos = 0;
  while (pos <= full.size()) {
    size_t slash = full.find('/', pos);
    if (slash == std::string::npos) slash = full.size();
    std::string part = full.substr(pos, slash - pos);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(std::move(part));
    }
    pos = slash + 1;
  }
  if (parts.empty()) return "/";
  std::string out;
  for (const std::string& part : parts) out += "/" + part;
  return out;
}

SInt32 DirIDForPath(const std::string& folderPath) {
  if (folderPath.empty() || folderPath[0] != '/') return 0;
  std::string path = NormalizePath(folderPath);
  DirectoryRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  auto it = r.idsByPath.find(path);
  if (it != r.idsByPath.end()) return it->second;
  SInt32 id = r.nextID++;
  r.idsByPath.emplace(path, id);
  r.pathsByID.emplace(id, path);
  return id;
}

std::string PathForDirID(SInt32 dirID) {
  DirectoryRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  auto it = r.pathsByID.find(dirID);
  return it == r.pathsByID.end() ? std::string() : it->second;
}

void MoveDirIDs(const std::string& oldPath, const std::string& newPath) {
  std::string from = NormalizePath(oldPath);
  std::string to = NormalizePath(newPath);
  if (from == "/" || from == to) return;
  DirectoryRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  std::vector<std::pair<SInt32, std::string>> moved;
  for (auto& [id, path] : r.pathsByID) {
    if (IsUnder(path, from)) moved.emplace_back(id, to + path.substr(from.size()));
  }
  for (auto& [id, path] : moved) {
    r.idsByPath.erase(r.pathsByID[id]);
    auto stale = r.idsByPath.find(path);
    if (stale != r.idsByPath.end()) r.pathsByID.erase(stale->second);
    r.idsByPath[path] = id;
    r.pathsByID[id] = path;
  }
}
