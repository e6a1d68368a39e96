// Plug-in discovery: every plug-in the program can host gets one entry of the table of
// plug-ins. Components come from the plug-in component layer (platform/audiounit), VST
// bundles from the VST folders, resource-file plug-ins from walking the same folders. What
// the information file keeps about a plug-in is merged into its entry.
//
// The VST folders: each folder of VST_PATH (colon-separated), then ~/.vst,
// /usr/local/lib/vst and /usr/lib/vst, each searched with its sub-folders. A VST that the
// information file does not know yet is examined once in a child process (its id, name,
// vendor, category, channel counts and flags are read and cached), so that a plug-in that
// crashes or hangs while it starts is listed as failed and the program goes on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files/file_types.h"
#include "platform/memory/mac_types.h"
#include "plugins/library/plugin_table.h"

enum : OSErr {
  kNotPluginBundleErr = -2854,  // neither a ".vst" bundle nor an item with an executable
  kWalkFoundErr = -2019,        // a per-item procedure found what it looked for: the walk stops
};

constexpr uint8_t kFoundKindIgnore = 0xff;

// What a scanner hands RecordFoundPlugin.
struct FoundPlugin {
  FSSpec location;                         // the item
  OSType fileType = 0;                 // its file type (folder walk)
  Handle cache;                        // the information file's records, or nil
  const PluginInfo* pluginTemplate = nullptr;  // bundles and components; null for files
  // Called for each item instead of RecordFoundPlugin when set; its answer is the item's
  // result (-128 and kWalkFoundErr stop the walk).
  OSErr (*perItem)(FoundPlugin* found) = nullptr;
  void* perItemData = nullptr;
  OSErr result = noErr;
  uint8_t kind = kFoundKindIgnore;
  uint8_t fromWalk = 0;                // the kind comes from the file type
  bool showProgress = false;
};

// Full scan: components, then the VST folders. 0, -4 when called without showProgress's
// owner flag (see below), -128 when cancelled, or the first file error.
OSErr ScanAllPlugins(bool showProgress);
// The component scan; ScanComponentType answers the number of units recorded.
OSErr ScanAudioUnits(FoundPlugin* found, bool showProgress);
int32_t ScanComponentType(bool showProgress, FoundPlugin* found, uint8_t kind, OSType type,
                          OSType subtype);
// The VST folders of a domain: kOnSystemDisk gives the system folders (/usr/local/lib/vst,
// /usr/lib/vst), kUserDomain the user's (VST_PATH, ~/.vst). fnfErr when none exists.
OSErr ScanVstFolders(bool showProgress, FoundPlugin* found, int16_t domain);
// The folders of a domain, in scan order.
std::vector<std::string> GetVstFolders(int16_t domain);
// The bundles of one folder, recursing into folders that hold no executable (their name is
// the prefix of what they hold) unless their upper-cased name contains "DISABLE".
OSErr EnumerateBundlesInFolder(bool showProgress, FoundPlugin* found, const std::string& folder,
                               ConstStr255Param prefix);
// One bundle: 0, kNotPluginBundleErr or -128.
OSErr RegisterPluginBundle(uint32_t bundle, bool showProgress, FoundPlugin* found,
                           ConstStr255Param prefix);
// The walk for resource-file plug-ins (by file type), or any walk with a per-item procedure;
// -128 on Escape, kWalkFoundErr when the procedure stopped it. Below maxDepth an item
// that is an alias (a link) of a folder is walked as a folder; at maxDepth folders are items.
// filterList, when given, is {first, last} of string list 181: only folders whose names hold
// one of those strings are entered.
OSErr WalkPluginFolder(FoundPlugin* found, int16_t vRefNum, int32_t dirID, int32_t depth,
                       int32_t maxDepth, const int16_t* filterList);
// Classifies and adds one found item; the result is in found->result.
void RecordFoundPlugin(FoundPlugin* found);

// A progress step with the item's name (every 16th shows "count. name" with progress);
// -128 when the user cancelled.
OSErr ShowScanProgress(bool showProgress, ConstStr255Param name);
// -128 while Escape is held, else 0.
OSErr CheckScanCancel();
// Resets the progress counter (tests).
void ResetScanProgressCount();

// The sub-folder name of the VST folder and the filter names (string list 181).
constexpr int16_t kPluginFolderStrings = 181;
// The category names (string list 211): item 2 is category 0.
constexpr int16_t kPluginCategoryStrings = 211;
