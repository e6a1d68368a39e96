#include "mixer/presets/program_lists.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "mixer/presets/preset_folders.h"
#include "mixer/presets/vst_preset_files.h"
#include "platform/files/file_locations.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "plugins/host/audio_unit_listeners.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/host/plugin_parameters.h"
#include "plugins/host/plugin_preset_lists.h"
#include "plugins/host/plugin_programs.h"
#include "plugins/host/plugin_state.h"
#include "plugins/library/plugin_table.h"
#include "shell/base/error_report.h"
#include "shell/base/modifier_keys.h"

namespace {

constexpr int32_t kNameBytes = 256;
constexpr int32_t kComparedNames = 4;
constexpr int32_t kMaxPathBytes = 4096;

bool IsVst(const PluginInstance* instance) { return instance->effect != nullptr; }

PluginInfo* EntryOf(const PluginInstance* instance) {
  return PluginInfoAt(int32_t(instance->tableIndex));
}

// A plug-in whose sound comes from a sound bank: its values are not its sound.
bool InSpecialState(const PluginInstance* instance) {
  return (GetPluginStateFlags(instance) & 4) != 0;
}

void ToPascal(const char* text, Str31 name) {
  name[0] = uint8_t(strnlen(text, kPresetNameMax));
  std::memcpy(name + 1, text, name[0]);
}

void ToCString(const uint8_t* name, char* text) {
  std::memcpy(text, name + 1, name[0]);
  text[name[0]] = '\0';
}

// Slot i from program i: switched to, its name and every value read.
void ReadProgramSlot(PluginInstance* instance, Handle list, int32_t i, uint32_t id) {
  SetProgramQuietly(instance, i);
  char text[kNameBytes] = {};
  GetProgramName(instance, text, sizeof text);
  Str31 name;
  ToPascal(text, name);
  std::vector<float> values(instance->parameterCount);
  for (uint32_t p = 0; p < instance->parameterCount; ++p)
    values[p] = GetPluginParameterChecked(instance, int32_t(p));
  PluginPresetData preset{id, instance->parameterCount, name, Handle(), 0, values.data()};
  ReplacePresetSlot(list, i, preset, true, false);
}

// Slot i from program i's name alone; false when the plug-in cannot name it.
bool ReadProgramNameSlot(PluginInstance* instance, Handle list, int32_t i, uint32_t id) {
  char text[kNameBytes] = {};
  if (GetProgramNameIndexed(instance, i, text, sizeof text) != noErr) return false;
  Str31 name;
  ToPascal(text, name);
  PluginPresetData preset{id, 0, name, Handle(), 0, nullptr};
  ReplacePresetSlot(list, i, preset, true, true);
  return true;
}

// The factory list: one slot per program (at least one).
OSErr BuildFactoryList(PluginInstance* instance, bool namesOnly) {
  PluginInfo* info = EntryOf(instance);
  uint32_t id = info ? info->uniqueId : 0;
  int32_t programs = int32_t(std::max<uint32_t>(instance->programCount, 1));
  bool readValues = IsVst(instance) && !IsNamesOnlyPlugin(instance) && !namesOnly;
  Handle list = NewPluginPresetList(programs, readValues ? instance->parameterCount : 0);
  if (!list) return memFullErr;
  WriteU32BE(HandleData(list), uint32_t(programs));
  HandleData(list)[kPresetListOptionAt] = info ? uint8_t(info->pluginFlags) : 0;
  bool prepare = info && (info->pluginFlags & kPluginFlagPrepareForPrograms);
  if (prepare) ResumePlugin(instance, 0);
  int32_t noted = GetCurrentProgram(instance);
  int32_t filled = 0;
  for (; filled < int32_t(instance->programCount); ++filled) {
    if (readValues) ReadProgramSlot(instance, list, filled, id);
    else if (!ReadProgramNameSlot(instance, list, filled, id)) break;
  }
  if (!readValues && filled < int32_t(instance->programCount)) instance->programCount = uint32_t(filled);
  TruncatePresetList(list, std::max(filled, 1));
  if (readValues && noted >= 0) SetProgramQuietly(instance, noted);
  if (prepare) SuspendPlugin(instance);
  instance->programList = list;
  return noErr;
}

void BuildUserList(PluginInstance* instance) {
  if (IsNamesOnlyPlugin(instance) || instance->secondHandle) return;
  Handle list = NewPluginPresetList(0, 0);
  if (!list) return;
  PluginInfo* info = EntryOf(instance);
  if (info != nullptr && (IsVst(instance) || IsOptionModifierDown())) {
    PresetReadRequest request;
    request.pluginId = info->uniqueId;
    request.parameterCount = instance->parameterCount;
    request.importAll = true;
    ScanPluginPresetFolders(info, list, &request);
  }
  if (CountPresets(list) == 0) DisposePluginPresetList(&list);
  instance->secondHandle = list;
}

// The slot's name for the plug-in: cut at its last dot when an F (either case) follows it.
void ProgramNameOf(const uint8_t* name, char* text) {
  Str31 cut;
  std::memcpy(cut, name, size_t(name[0]) + 1);
  for (int32_t i = cut[0]; i >= 1; --i)
    if (cut[i] == '.') {
      if (i < cut[0] && (cut[i + 1] == 'F' || cut[i + 1] == 'f')) cut[0] = uint8_t(i - 1);
      break;
    }
  ToCString(cut, text);
}

void WriteSlotValues(PluginInstance* instance, Handle list, int32_t slot) {
  uint32_t count = std::min(GetPresetCount(list, slot), instance->parameterCount);
  for (uint32_t p = 0; p < count; ++p)
    SetPluginParameterChecked(instance, int32_t(p), GetPresetValue(list, slot, int32_t(p)), kSetParameterNormal);
}

// Every program of a bank file goes into the plug-in.
OSErr ApplyBankFile(PluginInstance* instance, Handle list, int32_t slot) {
  char path[kMaxPathBytes];
  GetPresetFileAlias(list, slot, path, sizeof path);
  PresetReadRequest request;
  PluginInfo* info = EntryOf(instance);
  request.pluginId = info ? info->uniqueId : 0;
  request.parameterCount = instance->parameterCount;
  request.importAll = true;
  request.nameAfterFile = false;
  request.fileType = kVstBankFileType;
  OSErr err = PathToSpec(path, &request.file);
  request.list = NewPluginPresetList(0, 0);
  if (err == noErr && !request.list) err = memFullErr;
  if (err == noErr) {
    ReadVstPresetFile(&request);
    err = request.result;
  }
  if (err == noErr) {
    int32_t noted = GetCurrentProgram(instance);
    for (int32_t i = 0; i < CountPresets(request.list) && i < int32_t(instance->programCount); ++i) {
      SetProgramQuietly(instance, i);
      Str31 name;
      GetPresetName(request.list, i, name);
      char text[kPresetNameMax + 1];
      ToCString(name, text);
      SetProgramName(instance, text);
      WriteSlotValues(instance, request.list, i);
    }
    if (noted >= 0) SetProgramQuietly(instance, noted);
  }
  DisposePluginPresetList(&request.list);
  if (err != noErr) ReportFileError(err == paramErr ? kPresetFileDamagedErr : err, request.file.name, kFileActionRead);
  return err;
}

// A user preset's name and values go into the factory slot of the current program.
void CopyIntoCurrentProgram(PluginInstance* instance, Handle list, int32_t slot) {
  int32_t current = GetCurrentProgram(instance);
  Handle factory = instance->programList;
  if (current < 0 || current >= CountPresets(factory)) return;
  Str31 name;
  GetPresetName(list, slot, name);
  SetPresetName(factory, current, name);
  uint32_t count = std::min(GetPresetCount(list, slot), GetPresetCount(factory, current));
  for (uint32_t p = 0; p < count; ++p)
    SetPresetValue(factory, current, int32_t(p), GetPresetValue(list, slot, int32_t(p)));
}

// The plug-in's current program becomes the current preset and is applied.
void ApplyNotedProgram(PluginInstance* instance) {
  int32_t noted = GetCurrentProgram(instance);
  if (noted < 0 || noted >= CountFactoryPresets(instance)) return;
  ApplyPluginPreset(instance, noted);
}

void AdoptLoadedPlugin(PluginInstance* instance, int32_t, const PluginSettings* settings) {
  if (instance == nullptr) return;
  if (instance->programList) RefreshProgramNames(instance);
  OpenInsertInstance(instance, Handle(), settings, kProgramListsWithUser | kProgramListsApplyCurrent);
}

}  // namespace

bool IsNamesOnlyPlugin(const PluginInstance* instance) {
  const PluginInfo* info = instance ? EntryOf(instance) : nullptr;
  return info != nullptr && (info->pluginFlags & kPluginFlagProgramNamesOnly) != 0;
}

OSErr OpenInsertInstance(PluginInstance* instance, Handle, const PluginSettings*, uint32_t flags) {
  if (instance == nullptr) return paramErr;
  bool namesOnly = (flags & kProgramListsNamesOnly) != 0;
  if (namesOnly && !IsNamesOnlyPlugin(instance) && !InSpecialState(instance)) return noErr;
  if (IsOptionModifierDown() || (flags & kProgramListsRebuild)) {
    DisposePluginPresetList(&instance->programList);
    if (flags & kProgramListsDropUser) DisposePluginPresetList(&instance->secondHandle);
  }
  if (instance->programList) return noErr;
  if (BuildFactoryList(instance, namesOnly) != noErr) {
    ReportError(memFullErr);
    return memFullErr;
  }
  if (flags & kProgramListsApplyCurrent) ApplyNotedProgram(instance);
  if (flags & kProgramListsWithUser) BuildUserList(instance);
  return noErr;
}

int32_t CountFactoryPresets(const PluginInstance* instance) {
  return instance ? CountPresets(instance->programList) : 0;
}

int32_t CountCombinedPresets(const PluginInstance* instance) {
  return instance ? CountPresets(instance->programList) + CountPresets(instance->secondHandle) : 0;
}

bool FindCombinedPreset(const PluginInstance* instance, int32_t k, Handle* list, int32_t* slot) {
  if (instance == nullptr || k < 0) return false;
  int32_t factory = CountFactoryPresets(instance);
  *list = k < factory ? instance->programList : instance->secondHandle;
  *slot = k < factory ? k : k - factory;
  return *slot < CountPresets(*list);
}

OSErr ApplyPluginPreset(PluginInstance* instance, int32_t k) {
  Handle list;
  int32_t slot = 0;
  if (!FindCombinedPreset(instance, k, &list, &slot)) return paramErr;
  bool factory = list == instance->programList;
  GetPresetName(list, slot, instance->name);
  instance->programWord = k;
  if (!IsVst(instance) && factory) {
    SetProgram(instance, slot);
    return noErr;
  }
  uint32_t flags = GetPresetFlags(list, slot);
  if (flags == kPresetFileAlias) return ApplyBankFile(instance, list, slot);
  Handle chunk = GetPresetChunk(list, slot);
  if ((flags & kPresetChunk) && chunk && IsValidHandle(chunk)) {
    HLock(chunk);
    OSStatus err = RestorePluginState(instance, HandleData(chunk), int32_t(GetHandleSize(chunk)),
                                      (flags & kPresetBankChunk) != 0);
    HUnlock(chunk);
    return OSErr(err);
  }
  if (factory) SetProgram(instance, slot);
  char text[kPresetNameMax + 1];
  ProgramNameOf(instance->name, text);
  SetProgramName(instance, text);
  if (!factory) CopyIntoCurrentProgram(instance, list, slot);
  if (!InSpecialState(instance)) WriteSlotValues(instance, list, slot);
  return noErr;
}

bool RefreshProgramNames(PluginInstance* instance) {
  if (instance == nullptr || !IsNamesOnlyPlugin(instance) || !instance->programList) return false;
  Handle list = instance->programList;
  int32_t count = CountPresets(list);
  for (int32_t i = 0; i < count; ++i) {
    if (i >= kComparedNames && i < count - kComparedNames) continue;
    char text[kNameBytes] = {};
    GetProgramNameIndexed(instance, i, text, sizeof text);
    Str31 now, listed;
    ToPascal(text, now);
    GetPresetName(list, i, listed);
    if (std::memcmp(now, listed, size_t(now[0]) + 1) == 0) continue;
    OpenInsertInstance(instance, Handle(), nullptr, kProgramListsRebuild | kProgramListsNamesOnly);
    return true;
  }
  return false;
}

void InstallProgramListHooks() {
  RegisterAudioFolder();
  gPluginHostHooks.openInsertInstance = AdoptLoadedPlugin;
  gAudioUnitListenerHooks.refreshProgramNames = RefreshProgramNames;
}
