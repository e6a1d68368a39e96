#include "plugins/library/plugin_bundles.h"

#include <elf.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/files/file_types.h"
#include "platform/files/host_files.h"
#include "platform/vst/vst_loader.h"

namespace {

struct PluginBundle {
  std::string path;
  int32_t retains = 0;
  int32_t loads = 0;
  uint32_t module = 0;
};

std::vector<PluginBundle> gBundles;  // bundle id n is entry n - 1

PluginBundle* FindBundle(uint32_t bundle) {
  if (bundle == 0 || bundle > gBundles.size()) return nullptr;
  PluginBundle& entry = gBundles[bundle - 1];
  return entry.retains > 0 ? &entry : nullptr;
}

bool IsSharedObjectName(const std::string& name) { return NameEndsWith(name, ".so"); }

bool IsVstFolderName(const std::string& name) {
  return NameEndsWith(name, ".vst") || NameEndsWith(name, ".VST");
}

// The Info file's "key = value" lines of a folder bundle.
std::string ReadInfoValue(const std::string& folder, const char* key) {
  std::string text;
  if (HostReadFile(HostJoinPath(folder, "Info"), &text, 65536) != noErr) return {};
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    auto trim = [](std::string s) {
      size_t a = s.find_first_not_of(" \t\r");
      size_t b = s.find_last_not_of(" \t\r");
      return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
    };
    if (trim(line.substr(0, equals)) == key) return trim(line.substr(equals + 1));
  }
  return {};
}

// The first shared object directly in folder, in name order.
std::string FirstSharedObjectIn(const std::string& folder) {
  std::vector<std::string> names;
  if (HostListFolder(folder, &names) != noErr) return {};
  for (const std::string& name : names) {
    bool isFolder = false;
    std::string path = HostJoinPath(folder, name);
    if (IsSharedObjectName(name) && HostPathExists(path, &isFolder) && !isFolder) return path;
  }
  return {};
}

}  // namespace

bool NameEndsWith(const std::string& name, const char* tail) {
  size_t n = std::strlen(tail);
  return name.size() >= n && name.compare(name.size() - n, n, tail) == 0;
}

uint32_t CreatePluginBundle(const char* path) {
  bool isFolder = false;
  std::string where = path;
  if (!HostPathExists(where, &isFolder)) return 0;
  if (!isFolder && !IsSharedObjectName(where)) return 0;
  for (size_t i = 0; i < gBundles.size(); ++i) {
    if (gBundles[i].retains > 0 && gBundles[i].path == where) {
      ++gBundles[i].retains;
      return static_cast<uint32_t>(i + 1);
    }
  }
  size_t slot = 0;
  while (slot < gBundles.size() && gBundles[slot].retains > 0) ++slot;
  if (slot == gBundles.size()) gBundles.emplace_back();
  gBundles[slot] = PluginBundle{where, 1, 0, 0};
  return static_cast<uint32_t>(slot + 1);
}

void ReleasePluginBundle(uint32_t bundle) {
  PluginBundle* entry = FindBundle(bundle);
  if (entry == nullptr || --entry->retains > 0) return;
  while (entry->loads > 0) {
    UnloadVstModule(entry->module);
    --entry->loads;
  }
  *entry = PluginBundle{};
}

void RetainPluginBundle(uint32_t bundle) {
  if (PluginBundle* entry = FindBundle(bundle)) ++entry->retains;
}

int32_t GetPluginBundleRetainCount(uint32_t bundle) {
  PluginBundle* entry = FindBundle(bundle);
  return entry != nullptr ? entry->retains : 0;
}

std::string GetPluginBundlePath(uint32_t bundle) {
  PluginBundle* entry = FindBundle(bundle);
  return entry != nullptr ? entry->path : std::string();
}

std::string GetPluginBundleInfoValue(uint32_t bundle, const char* key) {
  PluginBundle* entry = FindBundle(bundle);
  bool isFolder = false;
  if (entry == nullptr || !HostPathExists(entry->path, &isFolder) || !isFolder) return {};
  return ReadInfoValue(entry->path, key);
}

bool PluginBundleHasExecutable(uint32_t bundle) {
  PluginBundle* entry = FindBundle(bundle);
  if (entry == nullptr) return false;
  if (IsSharedObjectName(entry->path)) return true;
  if (!ReadInfoValue(entry->path, "CFBundleExecutable").empty()) return true;
  return IsVstFolderName(entry->path) && !FirstSharedObjectIn(entry->path).empty();
}

std::string GetPluginBundleExecutablePath(uint32_t bundle) {
  PluginBundle* entry = FindBundle(bundle);
  if (entry == nullptr) return {};
  bool isFolder = false;
  if (!HostPathExists(entry->path, &isFolder)) return {};
  if (!isFolder) return entry->path;
  std::string named = ReadInfoValue(entry->path, "CFBundleExecutable");
  if (!named.empty()) {
    if (named.find('/') != std::string::npos || named == "..") return {};
    std::string path = HostJoinPath(entry->path, named);
    return HostPathExists(path) ? path : std::string();
  }
  return FirstSharedObjectIn(entry->path);
}

OSErr CreatePluginBundlesFromFolder(const std::string& folder, uint32_t* bundles, int32_t max,
                                    int32_t* count) {
  *count = 0;
  std::vector<std::string> names;
  OSErr err = HostListFolder(folder, &names);
  if (err != noErr) return err;
  for (const std::string& name : names) {
    if (*count >= max) break;
    if (name.empty() || name[0] == '.') continue;
    uint32_t bundle = CreatePluginBundle(HostJoinPath(folder, name).c_str());
    if (bundle != 0) bundles[(*count)++] = bundle;
  }
  return noErr;
}

OSErr LoadPluginBundleExecutable(uint32_t bundle) {
  PluginBundle* entry = FindBundle(bundle);
  if (entry == nullptr) return fnfErr;
  std::string path = GetPluginBundleExecutablePath(bundle);
  if (path.empty()) return fnfErr;
  uint32_t module = 0;
  OSErr err = LoadVstModule(path.c_str(), &module);
  if (err != noErr) return err;
  entry = FindBundle(bundle);
  entry->module = module;
  ++entry->loads;
  return noErr;
}

void UnloadPluginBundleExecutable(uint32_t bundle) {
  PluginBundle* entry = FindBundle(bundle);
  if (entry == nullptr || entry->loads == 0) return;
  UnloadVstModule(entry->module);
  if (--entry->loads == 0) entry->module = 0;
}

uint32_t GetPluginBundleModule(uint32_t bundle) {
  PluginBundle* entry = FindBundle(bundle);
  return entry != nullptr ? entry->module : 0;
}

void* GetPluginBundleFunction(uint32_t bundle, const char* name) {
  uint32_t module = GetPluginBundleModule(bundle);
  return module != 0 ? FindVstModuleSymbol(module, name) : nullptr;
}

int16_t CheckNativeExecutable(uint32_t bundle) {
  std::string path = GetPluginBundleExecutablePath(bundle);
  FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
  if (file == nullptr) return 0;
  Elf64_Ehdr header;
  size_t got = std::fread(&header, 1, sizeof header, file);
  std::fclose(file);
  // Only a recognised executable of another kind is foreign; anything else is left to the
  // loader, which says what is wrong with it.
  if (got < EI_NIDENT || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) return 1;
  const unsigned char ownClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
  const unsigned char ownOrder =
      __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? ELFDATA2LSB : ELFDATA2MSB;
  if (header.e_ident[EI_CLASS] != ownClass || header.e_ident[EI_DATA] != ownOrder) return 0;
  if (got < sizeof header) return 1;
#if defined(__x86_64__)
  return header.e_machine == EM_X86_64 ? 1 : 0;
#elif defined(__aarch64__)
  return header.e_machine == EM_AARCH64 ? 1 : 0;
#else
  return 1;
#endif
}

uint32_t ParseBundleVersion(const char* text) {
  while (*text != '\0' && (*text < '0' || *text > '9')) ++text;
  int major = 0, minor = 0, revision = 0;
  if (std::sscanf(text, "%d.%d.%d", &major, &minor, &revision) < 1) return 0;
  if (minor > 15) {
    revision = minor % 10;
    minor = minor / 10;
  }
  // Each part must fit its field; a bigger one would spill into the next.
  if (major < 0 || major >= 16 || minor < 0 || minor > 15 || revision < 0 || revision > 15)
    return 0;
  return static_cast<uint32_t>(major * 256 + minor * 16 + revision);
}

OSErr ReadBundleVersion(uint32_t bundle, uint32_t* version) {
  std::string text = GetPluginBundleInfoValue(bundle, "CFBundleShortVersionString");
  if (text.size() > 120) text.resize(120);
  *version = ParseBundleVersion(text.c_str());
  return noErr;
}
