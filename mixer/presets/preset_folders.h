// Where preset files live: the presets folder (item 8 of the plug-in folder names, 'STR#'
// 181) inside the audio folder ('adio': $XDG_DATA_HOME/Zarin/Audio unless a folder of that
// type is registered) of the system disk and of the user's domain, and the support folder's
// subfolders other subsystems keep their presets in.
#pragma once

#include <cstdint>
#include <string>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

struct PluginInfo;
struct PresetReadRequest;

constexpr OSType kAudioFolderType = FourCC("adio");
constexpr int16_t kPresetFolderNameItem = 8;      // of 'STR#' 181
// The plug-in program texts ('STR#' 183): the pop-up's items and the presets word.
constexpr int16_t kProgramTextsStrList = 183;
enum : int16_t {
  kProgramTextSaveProgram = 1,
  kProgramTextSaveBank = 2,
  kProgramTextHeading = 3,
  kProgramTextUserPresets = 4,
  kProgramTextPresets = 5,   // the word a plug-in's preset folder is named with
};
// Plug-in entry flags (PluginInfo::pluginFlags) the presets use.
enum : uint32_t {
  kPluginFlagProgramNamesOnly = 0x02,        // programs are read by name only, no user list
  kPluginFlagPresetsNamedAfterFiles = 1u << 17,
};

// Gives the audio folder type its place in the user's data folder, unless one is registered.
void RegisterAudioFolder();
// The presets folder of a domain (kOnSystemDisk, kUserDomain), "" when it does not exist.
std::string PresetFolderPath(int16_t domain);
// Reads every file of the presets folders into request->list (the request carries the
// plug-in's id and parameter count); a file that cannot be read is named on stderr and
// passed over. A scan the user stops in its progress dialog marks the plug-in names-only
// and writes its entry back to the plug-in information file. noErr (also when stopped),
// memFullErr when memory ran out (the presets read before stay in the list), or the
// folder walk's error.
OSErr ScanPluginPresetFolders(PluginInfo* info, Handle list, PresetReadRequest* request);
// Looks in the support folder for a subfolder whose name contains the presets word and,
// when name is given, in that one for a subfolder whose name contains name; true when the
// last one was found (*folder then designates it: its id as parent, an empty name).
bool FindSupportFile(ConstStr255Param name, FSSpec* folder);
