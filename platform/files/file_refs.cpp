// FSRef: an index into a process-wide table of normalized paths.
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/files/file_locations.h"
#include "platform/files/host_files.h"
#include "platform/memory/byte_order.h"
#include "platform/text/unicode.h"

namespace {

constexpr UInt32 kRefMagic = FourCC("zRef");

struct PathTable {
  std::mutex lock;
  std::vector<std::string> paths;
  std::unordered_map<std::string, UInt32> indexes;
};

PathTable& Table() {
  static PathTable table;
  return table;
}

void FillRef(const std::string& path, FSRef* ref) {
  PathTable& t = Table();
  UInt32 index;
  {
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.indexes.find(path);
    if (it != t.indexes.end()) {
      index = it->second;
    } else {
      index = UInt32(t.paths.size());
      t.paths.push_back(path);
      t.indexes.emplace(path, index);
    }
  }
  std::memset(ref->hidden, 0, sizeof ref->hidden);
  WriteU32BE(ref->hidden, kRefMagic);
  WriteU32BE(ref->hidden + 4, index + 1);
}

OSErr RefForExistingPath(const std::string& path, FSRef* ref, Boolean* isDirectory) {
  bool folder = false;
  if (!HostPathExists(path, &folder)) {
    if (!HostPathPresent(path)) {
      return HostPathExists(HostParentPath(path)) || path == "/" ? fnfErr : dirNFErr;
    }
  }
  if (isDirectory) *isDirectory = folder;
  FillRef(path, ref);
  return noErr;
}

}  // namespace

std::string RefToPath(const FSRef* ref) {
  if (!ref || ReadU32BE(ref->hidden) != kRefMagic) return "";
  UInt32 index = ReadU32BE(ref->hidden + 4);
  PathTable& t = Table();
  std::lock_guard<std::mutex> guard(t.lock);
  if (index == 0 || index > t.paths.size()) return "";
  return t.paths[index - 1];
}

OSErr FSpMakeFSRef(const FSSpec* source, FSRef* newRef) {
  if (!source || !newRef) return paramErr;
  std::string path = SpecToPath(source);
  if (path.empty()) return source->vRefNum == 0 || source->vRefNum == kZarinVRefNum ? dirNFErr : nsvErr;
  return RefForExistingPath(path, newRef, nullptr);
}

OSErr FSPathMakeRef(const std::string& path, FSRef* ref, Boolean* isDirectory) {
  if (path.empty() || !ref) return paramErr;
  return RefForExistingPath(NormalizePath(path), ref, isDirectory);
}

OSErr FSPathMakeRef(const UInt8* path, FSRef* ref, Boolean* isDirectory) {
  if (!path) return paramErr;
  return FSPathMakeRef(std::string(reinterpret_cast<const char*>(path)), ref, isDirectory);
}

OSErr FSRefMakePath(const FSRef* ref, UInt8* path, UInt32 maxPathSize) {
  std::string p = RefToPath(ref);
  if (p.empty() || !path) return p.empty() ? errFSBadFSRef : OSErr(paramErr);
  if (p.size() + 1 > maxPathSize) return pathTooLongErr;
  std::memcpy(path, p.c_str(), p.size() + 1);
  return noErr;
}

OSErr FSMakeFSRefUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                         UInt32 /*textEncodingHint*/, FSRef* newRef) {
  std::string parent = RefToPath(parentRef);
  if (parent.empty()) return errFSBadFSRef;
  if (!newRef || (nameLength > 0 && !name) || nameLength > 255) return paramErr;
  std::string utf8;
  if (!UTF16ToUTF8(std::u16string_view(reinterpret_cast<const char16_t*>(name), nameLength), &utf8)) return bdNamErr;
  for (char& c : utf8) {
    if (c == '/') c = ':';
  }
  if (utf8.empty()) return RefForExistingPath(parent, newRef, nullptr);
  if (utf8 == "." || utf8 == ".." || utf8.find('\0') != std::string::npos) return bdNamErr;
  return RefForExistingPath(HostJoinPath(parent, utf8), newRef, nullptr);
}

OSErr FSCompareFSRefs(const FSRef* ref1, const FSRef* ref2) {
  std::string a = RefToPath(ref1);
  std::string b = RefToPath(ref2);
  if (a.empty() || b.empty()) return errFSBadFSRef;
  return a == b ? OSErr(noErr) : diffRefErr;
}

OSErr FSRefToFSSpec(const FSRef* ref, FSSpec* fileSpec) {
  std::string path = RefToPath(ref);
  if (path.empty()) return errFSBadFSRef;
  return PathToSpec(path, fileSpec);
}
