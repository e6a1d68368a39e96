// Mac names (Mac Roman, '/' allowed) to disk names (UTF-8, ':' in place of '/') and back,
// with shortened Mac names for disk names that do not fit.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files/file_locations.h"
#include "platform/files/host_files.h"
#include "platform/text/mac_roman.h"

namespace {

constexpr size_t kHashSuffixLength = 7;  // "#" and six hex digits
constexpr size_t kMaxKeptExtension = 6;  // ".aiff" and the like survive shortening

UInt32 NameHash(const std::string& s) {
  UInt32 h = 2166136261u;
  for (unsigned char c : s) h = (h ^ c) * 16777619u;
  return h & 0xFFFFFF;
}

std::string Swap(std::string s, char from, char to) {
  for (char& c : s) {
    if (c == from) c = to;
  }
  return s;
}

void StorePString(const std::string& bytes, StringPtr out, int maxLen) {
  size_t n = std::min(bytes.size(), size_t(maxLen));
  out[0] = static_cast<unsigned char>(n);
  std::memcpy(out + 1, bytes.data(), n);
}

// Mac Roman form of a disk name, and whether it converts exactly.
bool ExactMacForm(const std::string& diskName, std::string* mac) {
  std::string swapped = Swap(diskName, ':', '/');
  bool ok = UTF8ToMacRoman(swapped, mac);
  return ok && MacRomanToUTF8(reinterpret_cast<const unsigned char*>(mac->data()), mac->size()) == swapped;
}

std::string ShortenedMacForm(const std::string& diskName, const std::string& lossy, size_t maxLen) {
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "#%06X", unsigned(NameHash(diskName)));
  std::string stem = lossy;
  std::string ext;
  size_t dot = lossy.rfind('.');
  if (dot != std::string::npos && dot > 0 && lossy.size() - dot <= kMaxKeptExtension) {
    stem = lossy.substr(0, dot);
    ext = lossy.substr(dot);
  }
  size_t room = maxLen > kHashSuffixLength + ext.size() ? maxLen - kHashSuffixLength - ext.size() : 0;
  if (stem.size() > room) stem.resize(room);
  std::string out = stem + suffix + ext;
  if (out.size() > maxLen) out.resize(maxLen);
  return out;
}

}  // namespace

bool MacNameToDiskName(ConstStr255Param macName, std::string* diskName) {
  if (!macName || macName[0] == 0) return false;
  std::string bytes(reinterpret_cast<const char*>(macName + 1), macName[0]);
  if (bytes.find('\0') != std::string::npos || bytes.find(':') != std::string::npos) return false;
  std::string utf8 = Swap(MacRomanToUTF8(macName + 1, macName[0]), '/', ':');
  if (utf8 == "." || utf8 == "..") return false;
  *diskName = std::move(utf8);
  return true;
}

void DiskNameToMacName(const std::string& diskName, StringPtr out, int maxLen) {
  if (maxLen < 0) maxLen = 0;
  if (maxLen > 255) maxLen = 255;
  std::string mac;
  if (ExactMacForm(diskName, &mac) && mac.size() <= size_t(maxLen)) {
    StorePString(mac, out, maxLen);
    return;
  }
  StorePString(ShortenedMacForm(diskName, mac, size_t(maxLen)), out, maxLen);
}

bool FindDiskName(const std::string& folder, ConstStr255Param macName, std::string* diskName) {
  std::string direct;
  bool valid = MacNameToDiskName(macName, &direct);
  *diskName = direct;
  if (valid && HostPathPresent(HostJoinPath(folder, direct))) return true;
  if (!macName) return false;
  std::string text(reinterpret_cast<const char*>(macName + 1), macName[0]);
  if (text.find('#') == std::string::npos) return false;
  std::vector<std::string> names;
  if (HostListFolder(folder, &names) != noErr) return false;
  Str255 candidate;
  for (const std::string& name : names) {
    DiskNameToMacName(name, candidate, 63);
    if (candidate[0] == macName[0] && std::memcmp(candidate + 1, macName + 1, macName[0]) == 0) {
      *diskName = name;
      return true;
    }
  }
  return false;
}
