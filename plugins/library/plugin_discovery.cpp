#include "plugins/library/plugin_discovery.h"
#include "plugins/library/plugin_list_state.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/audiounit/audio_unit.h"
#include "platform/events/classic_events.h"
#include "platform/events/key_codes.h"
#include "platform/files/aliases.h"
#include "platform/files/catalog.h"
#include "platform/files/file_locations.h"
#include "platform/files/folders.h"
#include "platform/files/host_files.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "platform/text/pascal_strings.h"
#include "platform/threads/cooperative_threads.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/library/plugin_bundles.h"
#include "plugins/library/plugin_examination.h"
#include "plugins/library/plugin_info_file.h"
#include "plugins/library/plugin_name_split.h"
#include "plugins/library/plugin_table_entries.h"
#include "shell/base/busy_cursor.h"
#include "shell/base/modifier_keys.h"
#include "shell/base/progress_hooks.h"

namespace {

constexpr int32_t kMaxFolderDepth = 8;     // folders nested deeper (or looping links) are left
constexpr int32_t kMaxBundlesInFolder = 4096;
constexpr int32_t kProgressEvery = 16;
constexpr int32_t kYieldEvery = 4;  // without progress: other threads get a turn

int32_t gScanProgressCount = 0;
bool gScanning = false;
int32_t gBundleDepth = 0;

bool ContainsDisable(const std::string& name) {
  Str255 text;
  TextToPascal(name, text, 255);
  return ContainsIgnoringCase(text, "DISABLE");
}

// The bundle's display name without the bundle extension; *isPlugin when it names one.
std::string BundleDisplayName(uint32_t bundle, bool* isPlugin) {
  std::string name = GetPluginBundleInfoValue(bundle, "CFBundleName");
  if (name.empty()) name = HostLastComponent(GetPluginBundlePath(bundle));
  *isPlugin = true;
  if ((name.size() > 4 && NameEndsWith(name, ".vst")) || NameEndsWith(name, ".VST")) {
    name.resize(name.size() - 4);
  } else if (name.size() > 3 && NameEndsWith(name, ".so")) {
    name.resize(name.size() - 3);
  } else {
    *isPlugin = PluginBundleHasExecutable(bundle);
  }
  return name;
}

void FillBundleTemplate(uint32_t bundle, const std::string& name, ConstStr255Param prefix,
                        PluginInfo* info) {
  *info = PluginInfo();
  info->kind = kPluginKindVstBundle;
  std::string full = name;
  if (prefix != nullptr && prefix[0] > 0) {
    full = std::string(reinterpret_cast<const char*>(prefix + 1), prefix[0]) + "-" + name;
    if (prefix[0] + 1 < kPluginNameMax) info->prefixLength = uint8_t(prefix[0] + 1);
  }
  TextToPascal(full, info->name, kPluginNameMax);
  info->bundle = bundle;
  ReadBundleVersion(bundle, &info->version);
  std::string path = GetPluginBundlePath(bundle);
  std::snprintf(info->path, sizeof info->path, "%s", path.c_str());
}

// The kind of a walked file from its type.
uint8_t KindForFileType(OSType type) {
  if (type == FourCC("mCfx")) return kPluginKindEffectFile;
  if (type == FourCC("aPcs") || type == FourCC("vst ")) return kPluginKindVstResource;
  return kFoundKindIgnore;
}

// Whether the item is in the table already (a rescan adds only what is new).
bool IsAlreadyListed(const FoundPlugin* found) {
  const PluginInfo* t = found->pluginTemplate;
  if (t != nullptr && IsAudioUnitKind(found->kind)) {
    for (int32_t i = 0; i < CountPlugins(); ++i) {
      const PluginInfo* e = PluginInfoAt(i);
      if (e->kind == found->kind && e->componentType == t->componentType &&
          e->componentSubType == t->componentSubType &&
          e->componentManufacturer == t->componentManufacturer)
        return true;
    }
    return false;
  }
  if (t != nullptr) {
    for (int32_t i = 0; i < CountPlugins(); ++i)
      if (std::strcmp(PluginInfoAt(i)->path, t->path) == 0) return true;
    return false;
  }
  return FindPluginBySpec(&found->location) >= 0;
}

// A format converter counts only when it can be opened.
bool ConverterOpens(const PluginInfo* t) {
  ComponentDescription looking;
  looking.componentType = t->componentType;
  looking.componentSubType = t->componentSubType;
  looking.componentManufacturer = t->componentManufacturer;
  Component component = FindNextComponent(0, &looking);
  ComponentInstance instance = 0;
  if (component == 0 || OpenAComponent(component, &instance) != noErr) return false;
  bool ok = AudioUnitInitialize(instance) == noErr;
  if (ok) AudioUnitUninitialize(instance);
  CloseComponent(instance);
  return ok;
}

OSErr ScanFolderList(bool showProgress, FoundPlugin* found, int16_t domain) {
  std::vector<std::string> folders = GetVstFolders(domain);
  OSErr first = folders.empty() ? OSErr(fnfErr) : OSErr(noErr);
  for (const std::string& folder : folders) {
    OSErr err = EnumerateBundlesInFolder(showProgress, found, folder, nullptr);
    if (err == -128) return err;
    SInt32 dirID = DirIDForPath(folder);
    err = WalkPluginFolder(found, -1, dirID, 0, 3, nullptr);
    if (err == -128) return err;
    if (first == noErr) first = err;
  }
  return first;
}

}  // namespace

void ResetScanProgressCount() { gScanProgressCount = 0; }

OSErr CheckScanCancel() {
  UInt8 keys[16] = {};
  GetKeys(keys);
  return IsKeyCodeInKeyMap(keys, kVK_Escape) ? OSErr(-128) : OSErr(noErr);
}

OSErr ShowScanProgress(bool showProgress, ConstStr255Param name) {
  ++gScanProgressCount;
  if (!showProgress) {
    if (gScanProgressCount % kYieldEvery == 0) YieldToAnyThread();
    return noErr;
  }
  if (gScanProgressCount % kProgressEvery != 0) return noErr;
  // The line reads "count. name".
  std::string line = std::to_string(gScanProgressCount) + ". ";
  if (name != nullptr) line.append(reinterpret_cast<const char*>(name + 1), name[0]);
  Str255 text;
  TextToPascal(line, text, 255);
  SetProgressLine(text);
  return ProgressAskedToStop(gScanProgressCount) ? OSErr(-128) : OSErr(noErr);
}

namespace {

// The folders of a colon-separated list, in order.
std::vector<std::string> SplitFolderList(const std::string& paths) {
  std::vector<std::string> folders;
  size_t start = 0;
  while (start <= paths.size()) {
    size_t end = paths.find(':', start);
    if (end == std::string::npos) end = paths.size();
    if (end > start) folders.push_back(paths.substr(start, end - start));
    start = end + 1;
  }
  return folders;
}

// The system domain's folders; ZARIN_VST_SYSTEM_PATH, when set, names them instead (empty:
// none), for installations that keep their plug-ins elsewhere and for isolated sessions.
std::vector<std::string> SystemVstFolders() {
  if (const char* list = std::getenv("ZARIN_VST_SYSTEM_PATH")) return SplitFolderList(list);
  return {"/usr/local/lib/vst", "/usr/lib/vst"};
}

}  // namespace

std::vector<std::string> GetVstFolders(int16_t domain) {
  std::vector<std::string> candidates;
  if (domain == kUserDomain) {
    const char* list = std::getenv("VST_PATH");
    candidates = SplitFolderList(list != nullptr ? list : "");
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') candidates.push_back(HostJoinPath(home, ".vst"));
  } else if (domain == kOnSystemDisk) {
    candidates = SystemVstFolders();
  }
  std::vector<std::string> folders;
  for (const std::string& path : candidates) {
    bool isFolder = false;
    if (HostPathExists(path, &isFolder) && isFolder) folders.push_back(NormalizePath(path));
  }
  return folders;
}

OSErr ScanAllPlugins(bool showProgress) {
  if (gScanning) return -4;
  gScanning = true;
  ResetScanProgressCount();
  OSErr cacheErr = noErr;
  Handle cache = OpenPluginInfoFile(IsOptionModifierDown(), &cacheErr);
  if (!cache && cacheErr == noErr) cache = NewHandle(0);
  int32_t firstNew = CountPlugins();
  if (showProgress) BeginProgress(kProgressScanningPlugins, 0);
  FoundPlugin found;
  found.cache = cache;
  found.showProgress = showProgress;
  OSErr err = ScanAudioUnits(&found, showProgress);
  if (err == noErr) err = ScanVstFolders(showProgress, &found, kOnSystemDisk);
  if (err != -128) {
    OSErr user = ScanVstFolders(showProgress, &found, kUserDomain);
    if (err == noErr || user == -128) err = user;
  }
  if (showProgress) EndProgress();
  if (cacheErr == noErr) WritePluginInfoFile(cache);
  if (cache) DisposeHandle(cache);
  ExamineNewPlugins(firstNew);
  MarkPluginListChanged();
  RequestPluginWindowRefresh(kRefreshMixer);
  gScanning = false;
  return err;
}

OSErr ScanAudioUnits(FoundPlugin* found, bool showProgress) {
  ComponentDescription any;
  any.componentType = kAudioUnitType_Effect;
  if (CountComponents(&any) == 0) {
    ScanComponentType(showProgress, found, kPluginKindAuV1Effect, FourCC("aunt"), FourCC("efct"));
    ScanComponentType(showProgress, found, kPluginKindAuV1Music, FourCC("aunt"), FourCC("musd"));
    return found->result;
  }
  ScanComponentType(showProgress, found, kPluginKindAuEffect, kAudioUnitType_Effect, 0);
  ScanComponentType(showProgress, found, kPluginKindAuMusic, kAudioUnitType_MusicDevice, 0);
  const struct { uint8_t kind; OSType type; } kRest[] = {
      {kPluginKindAuMusicEffect, kAudioUnitType_MusicEffect},
      {kPluginKindAuConverter, kAudioUnitType_FormatConverter},
      {kPluginKindAuGenerator, kAudioUnitType_Generator}};
  for (const auto& rest : kRest) {
    if (found->result != noErr) break;
    ScanComponentType(showProgress, found, rest.kind, rest.type, 0);
  }
  return found->result == -128 ? OSErr(-128) : OSErr(noErr);
}

int32_t ScanComponentType(bool showProgress, FoundPlugin* found, uint8_t kind, OSType type,
                          OSType subtype) {
  ComponentDescription looking;
  looking.componentType = type;
  looking.componentSubType = subtype;
  int32_t recorded = 0;
  for (Component c = FindNextComponent(0, &looking); c != 0 && !IsProgramQuitting();
       c = FindNextComponent(c, &looking)) {
    ComponentDescription d;
    unsigned char name[256] = {};
    if (GetComponentInfo(c, &d, name) != noErr) continue;
    if (d.componentType == FourCC("aunt") && d.componentManufacturer == FourCC("dcmp")) continue;
    PluginInfo t;
    t.componentType = d.componentType;
    t.componentSubType = d.componentSubType;
    t.componentManufacturer = d.componentManufacturer;
    t.uniqueId = subtype != 0 ? d.componentManufacturer : d.componentSubType;
    uint32_t v = uint32_t(GetComponentVersion(c));
    t.version = ((v >> 8) & 0xff00) + ((v >> 4) & 0x0ff0) + (v & 0xff);
    t.name[0] = name[0] > kPluginNameMax ? uint8_t(kPluginNameMax) : name[0];
    std::memcpy(t.name + 1, name + 1, t.name[0]);
    if (ShowScanProgress(showProgress, t.name) == -128) {
      found->result = -128;
      break;
    }
    found->pluginTemplate = &t;
    found->kind = kind;
    found->fromWalk = 0;
    RecordFoundPlugin(found);
    found->pluginTemplate = nullptr;
    if (found->result == noErr) ++recorded;
  }
  return recorded;
}

OSErr ScanVstFolders(bool showProgress, FoundPlugin* found, int16_t domain) {
  return ScanFolderList(showProgress, found, domain);
}

OSErr EnumerateBundlesInFolder(bool showProgress, FoundPlugin* found, const std::string& folder,
                               ConstStr255Param prefix) {
  if (gBundleDepth >= kMaxFolderDepth) return noErr;
  std::vector<uint32_t> bundles(kMaxBundlesInFolder);
  int32_t count = 0;
  OSErr err = CreatePluginBundlesFromFolder(folder, bundles.data(), kMaxBundlesInFolder, &count);
  for (int32_t i = 0; i < count; ++i) {
    // Once the program is asked to quit the rest is only let go.
    if (err == noErr && !IsProgramQuitting()) {
      err = RegisterPluginBundle(bundles[i], showProgress, found, prefix);
      if (err == noErr) {
        err = CheckScanCancel();
      } else if (err == kNotPluginBundleErr) {
        std::string path = GetPluginBundlePath(bundles[i]);
        std::string name = HostLastComponent(path);
        bool isFolder = false;
        err = noErr;
        if (!ContainsDisable(name) && HostPathExists(path, &isFolder) && isFolder) {
          Str255 inner;
          TextToPascal(name, inner, 31);
          ++gBundleDepth;
          err = EnumerateBundlesInFolder(showProgress, found, path, inner);
          --gBundleDepth;
        }
      }
    }
    ReleasePluginBundle(bundles[i]);
  }
  return err == -128 ? OSErr(-128) : OSErr(noErr);
}

OSErr RegisterPluginBundle(uint32_t bundle, bool showProgress, FoundPlugin* found,
                           ConstStr255Param prefix) {
  bool isPlugin = false;
  std::string name = BundleDisplayName(bundle, &isPlugin);
  if (!isPlugin) return kNotPluginBundleErr;
  if (!CheckNativeExecutable(bundle)) {
    std::fprintf(stderr, "Plug-in \"%s\" (%s) not native, ignored\n", name.c_str(),
                 GetPluginBundlePath(bundle).c_str());
    Str255 line;
    TextToPascal(name + " not native, ignored", line, 255);
    if (showProgress) SetProgressLine(line);
    return noErr;
  }
  PluginInfo t;
  FillBundleTemplate(bundle, name, prefix, &t);
  if (ShowScanProgress(showProgress, t.name) == -128) return -128;
  found->pluginTemplate = &t;
  found->kind = kPluginKindVstBundle;
  found->fromWalk = 0;
  PathToSpec(t.path, &found->location);
  RecordFoundPlugin(found);
  found->pluginTemplate = nullptr;
  return found->result == -128 ? OSErr(-128) : OSErr(noErr);
}

namespace {

// A folder below the maximum depth is entered unless its name says "disable"; with a filter
// list, only when its name holds one of the list's strings.
bool EntersFolder(ConstStr255Param name, const int16_t* filterList) {
  std::string text(reinterpret_cast<const char*>(name + 1), name[0]);
  if (ContainsDisable(text)) return false;
  if (filterList == nullptr) return true;
  for (int16_t item = filterList[0]; item > 0 && item <= filterList[1]; ++item) {
    Str255 filter;
    GetIndString(filter, kPluginFolderStrings, item);
    if (filter[0] > 0 && ContainsIgnoringCase(name, std::string(reinterpret_cast<char*>(filter + 1), filter[0]).c_str()))
      return true;
  }
  return false;
}

// An item below the maximum depth that is an alias (a link here) of a folder: the folder's
// directory id, else 0.
int32_t AliasedFolder(const FSSpec* item) {
  FSSpec target = *item;
  Boolean isFolder = false, wasAliased = false;
  if (ResolveAliasFile(&target, true, &isFolder, &wasAliased) != noErr || !wasAliased || !isFolder) return 0;
  return DirIDForPath(SpecToPath(&target));
}

}  // namespace

OSErr WalkPluginFolder(FoundPlugin* found, int16_t vRefNum, int32_t dirID, int32_t depth,
                       int32_t maxDepth, const int16_t* filterList) {
  if (depth == 0) SpinBusyCursor();
  for (int16_t index = 1;; ++index) {
    Str255 name = {};
    CInfoPBRec pb;
    pb.ioNamePtr = name;
    pb.ioVRefNum = vRefNum;
    pb.ioDirID = dirID;
    pb.ioFDirIndex = index;
    OSErr err = PBGetCatInfoSync(&pb);
    if (err == fnfErr || err == -5000 || err == -40) return noErr;
    if (err != noErr) return err;
    bool isFolder = (pb.ioFlAttrib & kioFlAttribDirMask) != 0;
    int32_t folderID = isFolder ? pb.ioDirID : 0;
    if (!isFolder || depth >= maxDepth) {
      // An item that gives no specification (-35, or any other error) is passed over.
      if (FSMakeFSSpec(vRefNum, dirID, name, &found->location) != noErr) continue;
      if (depth < maxDepth) folderID = AliasedFolder(&found->location);
    }
    if (folderID != 0 && depth < maxDepth) {
      if (EntersFolder(name, filterList)) {
        err = WalkPluginFolder(found, vRefNum, folderID, depth + 1, maxDepth, filterList);
        if (err != noErr) return err;
      }
    } else {
      found->fileType = pb.ioFlFndrInfo.fdType;
      found->fromWalk = 1;
      found->pluginTemplate = nullptr;
      if (found->perItem != nullptr) found->result = found->perItem(found);
      else RecordFoundPlugin(found);
      if (found->result == -128 || found->result == kWalkFoundErr) return found->result;
    }
    if (CheckScanCancel() == -128) return -128;
    SpinBusyCursorIfDue();
  }
}

void RecordFoundPlugin(FoundPlugin* found) {
  found->result = noErr;
  uint8_t kind = found->fromWalk ? KindForFileType(found->fileType) : found->kind;
  if (kind == kFoundKindIgnore || IsAlreadyListed(found)) return;
  if (kind == kPluginKindAuConverter && found->pluginTemplate != nullptr &&
      found->pluginTemplate->componentType != 0 && !ConverterOpens(found->pluginTemplate))
    return;
  Handle alias;
  if (!IsAudioUnitKind(kind) && kind != kPluginKindVstBundle) {
    if (NewAliasMinimal(&found->location, &alias) != noErr && found->fromWalk) return;
  }
  found->result = AddPluginTableEntry(&found->location, alias, found->pluginTemplate, kind,
                                      found->cache);
  if (found->result == noErr && found->pluginTemplate != nullptr && found->pluginTemplate->bundle)
    RetainPluginBundle(found->pluginTemplate->bundle);
}
