// CFURL for files: absolute POSIX paths, with the HFS colon style at the edges.
#include "platform/text/cf_url.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/text/cf_object.h"

struct CFURLObject : CFObject {
  CFURLObject(std::string p, bool dir) : CFObject(kCFURLTypeID), path(std::move(p)), isDirectory(dir) {}
  std::string Describe() const override { return "file://" + path + (isDirectory && path != "/" ? "/" : ""); }
  bool Equals(const CFObject& other) const override {
    const CFURLObject& o = static_cast<const CFURLObject&>(other);
    return o.path == path && o.isDirectory == isDirectory;
  }
  std::string path;  // absolute, no trailing '/' except for the root
  bool isDirectory;
};

namespace {

std::mutex gVolumeMutex;
std::string gVolumeName = "Disk";

const CFURLObject* AsURL(CFURLRef u) { return CFCast<CFURLObject>(u, kCFURLTypeID); }

std::string CurrentDirectory() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE || buffer.size() > (1u << 20)) return "/";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

// Absolute form of a POSIX path: relative paths join the current directory, repeated
// slashes collapse and a trailing slash goes.
std::string NormalizePath(const std::string& path) {
  std::string full = (!path.empty() && path[0] == '/') ? path : CurrentDirectory() + "/" + path;
  std::string out;
  for (char c : full) {
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out.push_back(c);
  }
  if (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

std::vector<std::string> Split(const std::string& s, char separator) {
  std::vector<std::string> parts(1);
  for (char c : s) {
    if (c == separator) parts.emplace_back();
    else parts.back().push_back(c);
  }
  return parts;
}

std::string SwapSeparators(std::string name, char from, char to) {
  for (char& c : name)
    if (c == from) c = to;
  return name;
}

bool SameVolumeName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// "Vol:a:b" -> "/a/b"; ":a" and "a" are relative; an empty name ("a::b") steps up a folder.
bool HFSToPOSIX(const std::string& hfs, std::string* posix) {
  std::vector<std::string> parts = Split(hfs, ':');
  if (parts.size() == 1) {
    *posix = SwapSeparators(parts[0], '/', ':');
    return true;
  }
  bool relative = parts[0].empty();
  if (!relative && !SameVolumeName(parts[0], GetHFSVolumeName())) return false;
  if (parts.back().empty()) parts.pop_back();  // trailing ':' of a folder
  std::string out = relative ? "" : "/";
  for (size_t i = 1; i < parts.size(); ++i) {
    if (!out.empty() && out.back() != '/') out.push_back('/');
    out += parts[i].empty() ? std::string("..") : SwapSeparators(parts[i], '/', ':');
  }
  *posix = out.empty() ? "." : out;
  return true;
}

std::string POSIXToHFS(const std::string& posix) {
  std::string out = GetHFSVolumeName() + ":";
  if (posix == "/") return out;
  std::vector<std::string> parts = Split(posix.substr(1), '/');
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out.push_back(':');
    out += SwapSeparators(parts[i], ':', '/');
  }
  return out;
}

size_t LastSlash(const std::string& path) { return path.rfind('/'); }

std::string LastComponent(const std::string& path) {
  return path == "/" ? path : path.substr(LastSlash(path) + 1);
}

// Position of the extension's dot in the last component, or npos.
size_t ExtensionDot(const std::string& path) {
  size_t slash = LastSlash(path);
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot <= slash + 1 || dot + 1 == path.size()) return std::string::npos;
  return dot;
}

CFURLRef NewURL(std::string absolutePath, bool isDirectory) {
  return new CFURLObject(std::move(absolutePath), isDirectory);
}

}  // namespace

CFTypeID CFURLGetTypeID() { return kCFURLTypeID; }

void SetHFSVolumeName(const std::string& utf8Name) {
  std::lock_guard<std::mutex> lock(gVolumeMutex);
  gVolumeName = utf8Name;
}

std::string GetHFSVolumeName() {
  std::lock_guard<std::mutex> lock(gVolumeMutex);
  return gVolumeName;
}

CFURLRef CFURLCreateWithPOSIXPath(const std::string& utf8Path, bool isDirectory) {
  if (utf8Path.empty()) return nullptr;
  return NewURL(NormalizePath(utf8Path), isDirectory);
}

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef path, CFURLPathStyle style, Boolean isDirectory) {
  std::string text = CFStringToUTF8(path);
  if (text.empty()) return nullptr;
  if (style == kCFURLHFSPathStyle) {
    std::string posix;
    if (!HFSToPOSIX(text, &posix)) return nullptr;
    return CFURLCreateWithPOSIXPath(posix, isDirectory);
  }
  if (style != kCFURLPOSIXPathStyle) return nullptr;
  return CFURLCreateWithPOSIXPath(text, isDirectory);
}

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef, const UInt8* buffer, CFIndex bufLen,
                                                 Boolean isDirectory) {
  if (buffer == nullptr || bufLen <= 0) return nullptr;
  size_t n = strnlen(reinterpret_cast<const char*>(buffer), size_t(bufLen));
  return CFURLCreateWithPOSIXPath(std::string(reinterpret_cast<const char*>(buffer), n), isDirectory);
}

CFURLRef CFURLCreateCopyAppendingPathComponent(CFAllocatorRef, CFURLRef url, CFStringRef component,
                                               Boolean isDirectory) {
  const CFURLObject* u = AsURL(url);
  if (u == nullptr) return nullptr;
  std::string name = CFStringToUTF8(component);
  if (name.empty()) return NewURL(u->path, u->isDirectory);
  return CFURLCreateWithPOSIXPath(u->path + "/" + name, isDirectory);
}

CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef, CFURLRef url) {
  const CFURLObject* u = AsURL(url);
  if (u == nullptr) return nullptr;
  size_t slash = LastSlash(u->path);
  return NewURL(slash == 0 ? std::string("/") : u->path.substr(0, slash), true);
}

CFURLRef CFURLCreateCopyAppendingPathExtension(CFAllocatorRef, CFURLRef url, CFStringRef extension) {
  const CFURLObject* u = AsURL(url);
  if (u == nullptr || u->path == "/") return nullptr;
  return NewURL(u->path + "." + CFStringToUTF8(extension), u->isDirectory);
}

CFURLRef CFURLCreateCopyDeletingPathExtension(CFAllocatorRef, CFURLRef url) {
  const CFURLObject* u = AsURL(url);
  if (u == nullptr) return nullptr;
  size_t dot = ExtensionDot(u->path);
  return NewURL(dot == std::string::npos ? u->path : u->path.substr(0, dot), u->isDirectory);
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef url, CFURLPathStyle style) {
  const CFURLObject* u = AsURL(url);
  if (u == nullptr) return nullptr;
  if (style == kCFURLHFSPathStyle) return CFStringCreateWithUTF8(POSIXToHFS(u->path));
  if (style != kCFURLPOSIXPathStyle) return nullptr;
  return CFStringCreateWithUTF8(u->path);
}

CFStringRef CFURLCopyLastPathComponent(CFURLRef url) {
  const CFURLObject* u = AsURL(url);
  return u != nullptr ? CFStringCreateWithUTF8(LastComponent(u->path)) : nullptr;
}

CFStringRef CFURLCopyPathExtension(CFURLRef url) {
  const CFURLObject* u = AsURL(url);
  if (u == nullptr) return nullptr;
  size_t dot = ExtensionDot(u->path);
  return dot == std::string::npos ? nullptr : CFStringCreateWithUTF8(u->path.substr(dot + 1));
}

Boolean CFURLHasDirectoryPath(CFURLRef url) {
  const CFURLObject* u = AsURL(url);
  return u != nullptr && u->isDirectory;
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8* buffer, CFIndex maxBufLen) {
  const CFURLObject* u = AsURL(url);
  if (u == nullptr || buffer == nullptr || maxBufLen <= 0 || u->path.size() + 1 > size_t(maxBufLen)) return false;
  std::memcpy(buffer, u->path.c_str(), u->path.size() + 1);
  return true;
}

std::string CFURLGetPOSIXPath(CFURLRef url) {
  const CFURLObject* u = AsURL(url);
  return u != nullptr ? u->path : std::string();
}
