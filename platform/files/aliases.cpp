// Alias records: absolute and relative paths of a file or folder, resolved without UI.
#include "platform/files/aliases.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/files/file_locations.h"
#include "platform/files/files_internal.h"
#include "platform/files/host_files.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"

namespace {

constexpr UInt16 kAliasFolderFlag = 0x0001;
constexpr int kMaxLinkHops = 32;

struct AliasRecord {
  bool folder = false;
  OSType type = 0;
  OSType creator = 0;
  std::string name;     // Mac Roman
  std::string absPath;  // UTF-8
  std::string relPath;  // UTF-8, from the referring file's folder
};

void AppendString16(std::string* out, const std::string& s) {
  UInt8 len[2];
  WriteU16BE(len, static_cast<UInt16>(s.size()));
  out->append(reinterpret_cast<const char*>(len), 2);
  out->append(s);
}

std::string BuildRecord(const AliasRecord& r) {
  std::string out(kAliasHeaderSize, '\0');
  AppendString16(&out, r.name);
  AppendString16(&out, r.absPath);
  AppendString16(&out, r.relPath);
  UInt8* p = reinterpret_cast<UInt8*>(out.data());
  WriteU32BE(p, kAliasRecordMagic);
  WriteU16BE(p + 4, kAliasRecordVersion);
  WriteU16BE(p + 6, r.folder ? kAliasFolderFlag : 0);
  WriteU32BE(p + 8, static_cast<UInt32>(out.size()));
  WriteU32BE(p + 12, r.type);
  WriteU32BE(p + 16, r.creator);
  return out;
}

bool ReadString16(const UInt8* p, size_t size, size_t* pos, std::string* out) {
  if (size - *pos < 2) return false;
  size_t len = ReadU16BE(p + *pos);
  *pos += 2;
  if (size - *pos < len) return false;
  out->assign(reinterpret_cast<const char*>(p + *pos), len);
  *pos += len;
  return true;
}

OSErr ParseRecord(AliasHandle alias, AliasRecord* r) {
  const UInt8* p = reinterpret_cast<const UInt8*>(HandleData(alias));
  if (!p) return paramErr;
  Size handleSize = GetHandleSize(alias);
  if (handleSize < Size(kAliasHeaderSize) || ReadU32BE(p) != kAliasRecordMagic ||
      ReadU16BE(p + 4) != kAliasRecordVersion)
    return paramErr;
  size_t size = ReadU32BE(p + 8);
  if (size < kAliasHeaderSize || size > size_t(handleSize)) return paramErr;
  r->folder = ReadU16BE(p + 6) & kAliasFolderFlag;
  r->type = ReadU32BE(p + 12);
  r->creator = ReadU32BE(p + 16);
  size_t pos = kAliasHeaderSize;
  if (!ReadString16(p, size, &pos, &r->name) || !ReadString16(p, size, &pos, &r->absPath) ||
      !ReadString16(p, size, &pos, &r->relPath))
    return paramErr;
  if (r->name.size() > 63 || r->absPath.empty() || r->absPath[0] != '/') return paramErr;
  return noErr;
}

OSErr StoreRecord(const std::string& image, AliasHandle alias) {
  SetHandleSize(alias, Size(image.size()));
  OSErr err = MemError();
  if (err != noErr) return err;
  std::memcpy(HandleData(alias), image.data(), image.size());
  return noErr;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t pos = 1;
  while (pos < path.size()) {
    size_t slash = path.find('/', pos);
    if (slash == std::string::npos) slash = path.size();
    parts.push_back(path.substr(pos, slash - pos));
    pos = slash + 1;
  }
  return parts;
}

// Path of to relative to the folder from (both normalized absolute paths).
std::string RelativePath(const std::string& from, const std::string& to) {
  std::vector<std::string> a = SplitPath(from);
  std::vector<std::string> b = SplitPath(to);
  size_t common = 0;
  while (common < a.size() && common < b.size() && a[common] == b[common]) ++common;
  std::string out;
  for (size_t i = common; i < a.size(); ++i) out += out.empty() ? ".." : "/..";
  for (size_t i = common; i < b.size(); ++i) out += (out.empty() ? "" : "/") + b[i];
  return out.empty() ? "." : out;
}

std::string ReferringFolder(const FSSpec* fromFile) {
  if (!fromFile) return "";
  std::string from = SpecToPath(fromFile);
  return from.empty() || from == "/" ? "" : HostParentPath(from);
}

OSErr DescribeTarget(const FSSpec* fromFile, const FSSpec* target, bool mustExist, AliasRecord* r) {
  std::string path;
  OSErr err = ResolveSpecPath(target, &path);
  if (err != noErr && (mustExist || err != fnfErr)) return err;
  bool folder = false;
  HostPathExists(path, &folder);
  r->folder = folder;
  r->absPath = path;
  r->name.assign(reinterpret_cast<const char*>(target->name + 1), target->name[0]);
  if (!folder && err == noErr) {
    AppleDoubleInfo info;
    if (LoadSidecar(path, &info) != noErr) DefaultFinderInfo(path, &info.finderInfo, &info.extFinderInfo);
    r->type = info.finderInfo.fdType;
    r->creator = info.finderInfo.fdCreator;
  }
  std::string anchor = ReferringFolder(fromFile);
  if (!anchor.empty()) r->relPath = RelativePath(anchor, path);
  if (r->absPath.size() > 0xFFFF || r->relPath.size() > 0xFFFF) return bdNamErr;
  return noErr;
}

OSErr NewAliasRecord(const FSSpec* fromFile, const FSSpec* target, bool mustExist, AliasHandle* alias) {
  if (!target || !alias) return paramErr;
  *alias = AliasHandle();
  AliasRecord r;
  OSErr err = DescribeTarget(fromFile, target, mustExist, &r);
  if (err != noErr) return err;
  std::string image = BuildRecord(r);
  AliasHandle h = NewHandle(Size(image.size()));
  if (!h) return memFullErr;
  std::memcpy(HandleData(h), image.data(), image.size());
  *alias = h;
  return noErr;
}

bool IsKind(const std::string& path, bool folder) {
  bool isFolder = false;
  return !path.empty() && HostPathExists(path, &isFolder) && isFolder == folder;
}

}  // namespace

OSErr NewAlias(const FSSpec* fromFile, const FSSpec* target, AliasHandle* alias) {
  return NewAliasRecord(fromFile, target, true, alias);
}

OSErr NewAliasMinimal(const FSSpec* target, AliasHandle* alias) {
  return NewAliasRecord(nullptr, target, false, alias);
}

OSErr ResolveAliasWithMountFlags(const FSSpec* fromFile, AliasHandle alias, FSSpec* target, Boolean* wasChanged,
                                 UInt32 /*mountFlags*/) {
  if (wasChanged) *wasChanged = false;
  if (!target) return paramErr;
  AliasRecord r;
  OSErr err = ParseRecord(alias, &r);
  if (err != noErr) return err;
  if (IsKind(r.absPath, r.folder)) return PathToSpec(r.absPath, target);
  std::string anchor = ReferringFolder(fromFile);
  if (anchor.empty() || r.relPath.empty()) return fnfErr;
  std::string found = NormalizePath(HostJoinPath(anchor, r.relPath));
  if (!IsKind(found, r.folder)) return fnfErr;
  err = PathToSpec(found, target);
  if (err != noErr) return err;
  r.absPath = found;
  r.relPath = RelativePath(anchor, found);
  if (StoreRecord(BuildRecord(r), alias) == noErr && wasChanged) *wasChanged = true;
  return noErr;
}

OSErr ResolveAlias(const FSSpec* fromFile, AliasHandle alias, FSSpec* target, Boolean* wasChanged) {
  return ResolveAliasWithMountFlags(fromFile, alias, target, wasChanged, kResolveAliasFileNoUI);
}

OSErr UpdateAlias(const FSSpec* fromFile, const FSSpec* target, AliasHandle alias, Boolean* wasChanged) {
  if (wasChanged) *wasChanged = false;
  if (!target || !IsValidHandle(alias)) return paramErr;
  AliasRecord r;
  OSErr err = DescribeTarget(fromFile, target, true, &r);
  if (err != noErr) return err;
  std::string image = BuildRecord(r);
  const char* old = HandleData(alias);
  bool same = GetHandleSize(alias) == Size(image.size()) && std::memcmp(old, image.data(), image.size()) == 0;
  if (same) return noErr;
  err = StoreRecord(image, alias);
  if (err == noErr && wasChanged) *wasChanged = true;
  return err;
}

OSErr GetAliasInfo(AliasHandle alias, SInt16 index, Str63 theString) {
  if (!theString) return paramErr;
  AliasRecord r;
  OSErr err = ParseRecord(alias, &r);
  if (err != noErr) return err;
  theString[0] = 0;
  if (index == asiAliasName) {
    theString[0] = static_cast<unsigned char>(r.name.size());
    std::memcpy(theString + 1, r.name.data(), r.name.size());
  } else if (index == asiVolumeName) {
    DiskNameToMacName(kZarinVolumeName, theString, 63);
  } else if (index >= asiParentName) {
    std::vector<std::string> parts = SplitPath(r.absPath);
    if (size_t(index) < parts.size()) DiskNameToMacName(parts[parts.size() - 1 - size_t(index)], theString, 63);
  }
  return noErr;
}

OSErr ResolveAliasFile(FSSpec* theSpec, Boolean resolveAliasChains, Boolean* targetIsFolder, Boolean* wasAliased) {
  if (wasAliased) *wasAliased = false;
  std::string path;
  OSErr err = ResolveSpecPath(theSpec, &path);
  if (err != noErr) return err;
  int hops = 0;
  while (HostIsLink(path) && hops < (resolveAliasChains ? kMaxLinkHops : 1)) {
    char buffer[4096];
    ssize_t n = readlink(path.c_str(), buffer, sizeof buffer - 1);
    if (n <= 0) return n < 0 ? HostErrorToOSErr(errno) : fnfErr;
    std::string link(buffer, size_t(n));
    path = NormalizePath(link[0] == '/' ? link : HostJoinPath(HostParentPath(path), link));
    ++hops;
  }
  if (hops > 0 && wasAliased) *wasAliased = true;
  bool folder = false;
  if (!HostPathExists(path, &folder)) return fnfErr;
  if (targetIsFolder) *targetIsFolder = folder;
  return hops > 0 ? PathToSpec(path, theSpec) : OSErr(noErr);
}
