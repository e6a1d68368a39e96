#include "plugins/library/plugin_table_entries.h"

#include <cstring>
#include <ctime>

#include "platform/files/aliases.h"
#include "platform/files/file_locations.h"
#include "platform/memory/memory.h"
#include "platform/resources/resources.h"
#include "plugins/library/plugin_info_file.h"
#include "shell/base/preferences_file.h"

namespace {

constexpr double kUnixToAbsoluteTime = 978307200.0;  // seconds from 1970 to 2001

double CurrentAbsoluteTime() {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return double(now.tv_sec) - kUnixToAbsoluteTime + double(now.tv_nsec) / 1e9;
}

void SetEntryName(PluginInfo* entry, ConstStr255Param name) {
  uint8_t n = name[0] > kPluginNameMax ? uint8_t(kPluginNameMax) : name[0];
  entry->name[0] = n;
  std::memcpy(entry->name + 1, name + 1, n);
}

// The version of a resource-file plug-in: its 'vers' 1 (first byte * 256 + second byte).
uint32_t ReadFileVersion(const FSSpec* location) {
  int16_t ref = FSpOpenResFile(location, fsRdPerm);
  if (ref == -1) return 0;
  uint32_t version = 0;
  Handle vers = Get1Resource(FourCC("vers"), 1);
  if (vers && GetHandleSize(vers) >= 2)
    version = uint32_t(uint8_t((*vers)[0])) * 256 + uint8_t((*vers)[1]);
  CloseResFileUseApp(ref);
  return version;
}

void FillFromTemplate(PluginInfo* entry, const PluginInfo& from) {
  entry->uniqueId = from.uniqueId;
  entry->componentType = from.componentType;
  entry->componentSubType = from.componentSubType;
  entry->componentManufacturer = from.componentManufacturer;
  entry->bundle = from.bundle;
  if (from.name[0] == 0) SetEntryName(entry, reinterpret_cast<const uint8_t*>("\010untitled"));
  else SetEntryName(entry, from.name);
  entry->version = from.version;
  entry->prefixLength = from.prefixLength;
  std::memcpy(entry->path, from.path, sizeof entry->path);
  entry->failure = from.failure;
  std::memcpy(entry->message, from.message, sizeof entry->message);
}

// A VST entry takes the cached vendor prefix, id, flags and channel counts.
void MergeCachedVst(PluginInfo* entry, const PluginCacheRecord& record, bool* writeBack) {
  const uint8_t* prefix = CacheRecordText(record, kCacheVendorPrefix);
  const uint8_t* name = CacheRecordText(record, kCacheName);
  uint32_t flags = CacheRecordU32(record, kCacheFlags);
  if (entry->prefixLength > 0) {
    *writeBack = true;
  } else if (prefix[0] > 0 && (flags & kPluginFlagVendorPrefix) != 0 &&
             prefix[0] + 1 + name[0] <= kPluginNameMax) {
    entry->name[0] = uint8_t(prefix[0] + 1 + name[0]);
    std::memcpy(entry->name + 1, prefix + 1, prefix[0]);
    entry->name[1 + prefix[0]] = '-';
    std::memcpy(entry->name + 2 + prefix[0], name + 1, name[0]);
    entry->prefixLength = uint8_t(prefix[0] + 1);
  }
  if (entry->uniqueId == 0) entry->uniqueId = CacheRecordU32(record, kCacheUniqueId);
  entry->pluginFlags = flags;
  entry->inputCount = CacheRecordU16(record, kCacheInputs);
  entry->outputCount = CacheRecordU16(record, kCacheOutputs);
  if (CachedRecordIsInstrument(flags, entry->inputCount, entry->outputCount))
    entry->entryFlags |= kPluginEntryInstrument;
}

void MergeCachedRecord(PluginInfo* entry, Handle cache) {
  PluginCacheRecord record;
  GetCachedPluginRecord(cache, entry, &record);
  uint32_t cachedId = CacheRecordU32(record, kCacheUniqueId);
  if (cachedId != 0) entry->loadCount = CacheRecordU32(record, kCacheLoadCount);
  entry->firstSeen = CacheRecordFirstSeen(record);
  bool writeBack = false;
  if (IsVstKind(entry->kind) && cachedId != 0) MergeCachedVst(entry, record, &writeBack);
  if (entry->kind == kPluginKindAuV1Music || entry->kind == kPluginKindAuMusic ||
      entry->kind == kPluginKindAuGenerator)
    entry->entryFlags |= kPluginEntryInstrument;
  if (entry->loadCount == 0 && entry->firstSeen == 0.0) {
    entry->firstSeen = CurrentAbsoluteTime();
    writeBack = true;
  }
  if (writeBack) AccessCachedPluginRecord(entry, kCacheStore, nullptr, cache);
}

}  // namespace

bool CachedRecordIsInstrument(uint32_t cachedFlags, uint16_t inputs, uint16_t outputs) {
  return (cachedFlags & kPluginFlagInstrument) != 0 || (inputs == 0 && outputs != 0);
}

OSErr AddPluginTableEntry(const FSSpec* location, Handle alias, const PluginInfo* pluginTemplate,
                          uint8_t kind, Handle cache, int32_t* index) {
  if (index) *index = -1;
  if (kind == kPluginKindOldCode) return -4;
  PluginInfo entry;
  entry.alias = alias;
  entry.resRefNum = -1;
  entry.kind = kind;
  if (!pluginTemplate) {
    SetEntryName(&entry, location->name);
    entry.version = ReadFileVersion(location);
    std::string path = SpecToPath(location);
    std::strncpy(entry.path, path.c_str(), sizeof entry.path - 1);
  } else {
    FillFromTemplate(&entry, *pluginTemplate);
  }
  if (kind != kPluginKindCodeOnly) entry.entryFlags |= kPluginEntryUsable;
  if (entry.failure != noErr) entry.entryFlags &= uint8_t(~kPluginEntryUsable);
  MergeCachedRecord(&entry, cache);
  int32_t at = AppendPluginInfo(entry);
  if (at < 0) {
    if (alias) DisposeHandle(alias);
    return memFullErr;
  }
  if (index) *index = at;
  return noErr;
}

OSErr ResolvePluginFile(const PluginInfo* entry, FSSpec* location) {
  if (!entry->alias) return entry->path[0] != '\0' ? PathToSpec(entry->path, location) : fnfErr;
  Boolean changed = false;
  OSErr err = ResolveAlias(nullptr, entry->alias, location, &changed);
  if (err != noErr || entry->mainEntry != 0) return err;
  Boolean isFolder = false;
  Boolean wasAliased = false;
  err = ResolveAliasFile(location, true, &isFolder, &wasAliased);
  if (err == noErr && isFolder) return paramErr;
  return err;
}

int32_t FindPluginBySpec(const FSSpec* location) {
  std::string path = SpecToPath(location);
  for (int32_t i = 0; i < CountPlugins(); ++i) {
    const PluginInfo* entry = PluginInfoAt(i);
    if (IsAudioUnitKind(entry->kind)) continue;
    FSSpec found;
    if (entry->alias) {
      if (ResolvePluginFile(entry, &found) == noErr && IsSameFSSpec(&found, location)) return i;
    } else if (!path.empty() && path == entry->path) {
      return i;
    }
  }
  return -1;
}
