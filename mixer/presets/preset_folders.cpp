#include "mixer/presets/preset_folders.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "mixer/presets/vst_preset_files.h"
#include "platform/files/file_locations.h"
#include "platform/files/folders.h"
#include "platform/resources/resource_manager.h"
#include "platform/system/host_time.h"
#include "platform/text/text_case.h"
#include "plugins/library/plugin_discovery.h"
#include "plugins/library/plugin_info_file.h"
#include "plugins/library/plugin_table.h"
#include "shell/base/busy_cursor.h"
#include "shell/base/progress_hooks.h"

namespace {

constexpr uint32_t kProgressAfterTicks = 60;
constexpr int16_t kProgressStopped = 8;
constexpr int32_t kPresetFolderDepth = 3;

// The scan in progress (main thread only).
struct PresetScan {
  PresetReadRequest* request = nullptr;
  uint32_t startTick = 0;
  bool progressOpen = false;
  int32_t files = 0;
  int16_t stopWord = 0;
  OSErr memoryErr = noErr;  // memory ran out: the walk ended early
};

std::string PascalText(ConstStr255Param text) {
  return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

void ShowScanProgress(PresetScan* scan, ConstStr255Param name) {
  ++scan->files;
  if (!scan->progressOpen && TickCount() - scan->startTick <= kProgressAfterTicks) return;
  if (!scan->progressOpen) BeginProgress(kProgressReadingPresets, 0);
  scan->progressOpen = true;
  SetProgressLine(name);
  if (gProgressHooks.setValue) scan->stopWord = gProgressHooks.setValue(scan->files);
}

OSErr ReadFoundPreset(FoundPlugin* found) {
  auto* scan = static_cast<PresetScan*>(found->perItemData);
  ShowScanProgress(scan, found->location.name);
  if (scan->stopWord == kProgressCancelledErr) return userCanceledErr;
  if (scan->stopWord == kProgressStopped) return userCanceledErr;
  PresetReadRequest* r = scan->request;
  r->file = found->location;
  r->fileType = found->fileType;
  ReadVstPresetFile(r);
  if (r->result != noErr && r->result != memFullErr)
    std::fprintf(stderr, "Preset file \"%s\" was passed over: it is damaged (%d)\n",
                 SpecToPath(&r->file).c_str(), r->result);
  if (r->result != memFullErr) return noErr;
  scan->memoryErr = memFullErr;
  return userCanceledErr;
}

OSErr WalkFolder(const std::string& path, FoundPlugin* found, int32_t maxDepth) {
  int32_t dirID = DirIDForPath(path);
  if (dirID == 0) return fnfErr;
  return WalkPluginFolder(found, -1, dirID, 0, maxDepth, nullptr);
}

// The folder match: a folder whose name contains the text stops the walk with its id.
struct FolderMatch {
  std::string text;
  std::string found;
};

OSErr MatchFolder(FoundPlugin* found) {
  auto* match = static_cast<FolderMatch*>(found->perItemData);
  std::string path = SpecToPath(&found->location);
  std::error_code error;
  if (!std::filesystem::is_directory(path, error)) return noErr;
  if (PascalText(found->location.name).find(match->text) == std::string::npos) return noErr;
  match->found = path;
  return kWalkFoundErr;
}

bool FindSubfolder(const std::string& folder, const std::string& text, std::string* result) {
  FolderMatch match{text, std::string()};
  FoundPlugin walk;
  walk.perItem = MatchFolder;
  walk.perItemData = &match;
  if (WalkFolder(folder, &walk, 0) != kWalkFoundErr) return false;
  *result = match.found;
  return true;
}

}  // namespace

void RegisterAudioFolder() {
  OSErr err = noErr;
  if (!StandardFolderPath(kUserDomain, kAudioFolderType, kDontCreateFolder, &err).empty() || err != fnfErr) return;
  std::string support = StandardFolderPath(kUserDomain, kApplicationSupportFolderType, kCreateFolder);
  if (!support.empty()) RegisterStandardFolder(kAudioFolderType, support + "/Audio");
}

std::string PresetFolderPath(int16_t domain) {
  std::string audio = StandardFolderPath(domain, kAudioFolderType, kDontCreateFolder);
  if (audio.empty()) return std::string();
  Str255 name;
  GetIndString(name, kPluginFolderStrings, kPresetFolderNameItem);
  if (name[0] == 0) return std::string();
  std::string path = audio + "/" + PascalText(name);
  std::error_code error;
  return std::filesystem::is_directory(path, error) ? path : std::string();
}

OSErr ScanPluginPresetFolders(PluginInfo* info, Handle list, PresetReadRequest* request) {
  if (info == nullptr || request == nullptr || !list) return paramErr;
  PresetScan scan;
  scan.request = request;
  scan.startTick = TickCount();
  request->list = list;
  request->nameAfterFile = (info->pluginFlags & kPluginFlagPresetsNamedAfterFiles) != 0;
  FoundPlugin walk;
  walk.perItem = ReadFoundPreset;
  walk.perItemData = &scan;
  OSErr err = noErr;
  std::string done;
  for (int16_t domain : {kOnSystemDisk, kUserDomain}) {
    std::string folder = PresetFolderPath(domain);
    if (folder.empty() || folder == done) continue;
    done = folder;
    err = WalkFolder(folder, &walk, kPresetFolderDepth);
    if (err != noErr) break;
  }
  if (scan.progressOpen) EndProgress();
  if (scan.stopWord == kProgressStopped) {
    info->pluginFlags |= kPluginFlagProgramNamesOnly;
    AccessCachedPluginRecord(info, kCacheStore, nullptr, Handle());
  }
  RestoreArrowCursor();
  if (scan.memoryErr != noErr) return scan.memoryErr;
  return err == userCanceledErr ? OSErr(noErr) : err;
}

bool FindSupportFile(ConstStr255Param name, FSSpec* folder) {
  std::string support = StandardFolderPath(kUserDomain, kApplicationSupportFolderType, kDontCreateFolder);
  Str255 word;
  GetIndString(word, kProgramTextsStrList, kProgramTextPresets);
  std::string found;
  if (support.empty() || word[0] == 0 || !FindSubfolder(support, PascalText(word), &found)) return false;
  if (name != nullptr && name[0] > 0 && !FindSubfolder(found, PascalText(name), &found)) return false;
  if (folder != nullptr) {
    *folder = FSSpec();
    folder->vRefNum = -1;
    folder->parID = DirIDForPath(found);
  }
  return true;
}
