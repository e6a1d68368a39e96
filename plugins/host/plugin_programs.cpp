#include "plugins/host/plugin_programs.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/audiounit/audio_unit.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/text/core_foundation.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/host/plugin_settings.h"
#include "plugins/host/vst_dispatch.h"
#include "plugins/host/vst_host_callback.h"
#include "plugins/library/plugin_info_file.h"
#include "plugins/library/plugin_table.h"

namespace {

constexpr OSErr kUnsupportedErr = -4;
constexpr int32_t kVstNameBytes = 256;
constexpr int32_t kPresetNameBytes = 256;
constexpr int32_t kCurrentPresetNameBytes = 32;
constexpr int32_t kInstrumentNames = 128;
constexpr int32_t kInstrumentNameLimit = 256;
constexpr int32_t kMaxCategories = 64;

bool IsVst(const PluginInstance* instance) { return instance->effect != nullptr; }

void CopyText(char* to, int32_t capacity, const char* from) {
  if (to != nullptr && capacity > 0) CopyVstString(to, from, size_t(capacity));
}

// The unit's factory preset at an index, from the instance's cache (kept by
// RefreshFactoryPresets when the unit opens and when it announces new presets): its number
// and name; false when there is none.
bool FactoryPresetAt(PluginInstance* instance, int32_t index, int32_t* number, Str255 name) {
  return GetFactoryPreset(instance, index, number, name) == noErr && *number >= 0;
}

void PresetName(const AUPreset& preset, char* name, int32_t capacity, int32_t limit) {
  char buffer[kPresetNameBytes] = {};
  if (preset.presetName)
    CFStringGetCString(preset.presetName, buffer, sizeof buffer, kCFStringEncodingUTF8);
  CopyText(name, capacity < limit ? capacity : limit, buffer);
}

// The cached preset's name (length-prefixed) as a C string.
void CachedPresetName(const Str255 preset, char* name, int32_t capacity) {
  char buffer[kPresetNameBytes] = {};
  std::memcpy(buffer, preset + 1, std::min<size_t>(preset[0], sizeof buffer - 1));
  CopyText(name, capacity < kPresetNameBytes ? capacity : kPresetNameBytes, buffer);
}

// The program list's record count (header word 0) and parameter count of a record.
int32_t ProgramListCount(Handle list) {
  return GetHandleSize(list) >= kProgramListHeader ? int32_t(ReadU32BE(*list)) : 0;
}

bool RecordFits(Handle list, int32_t offset) {
  Size size = GetHandleSize(list);
  if (offset < kProgramListHeader || offset + kProgramRecordBase > size) return false;
  uint32_t count = ReadU32BE(*list + offset + 4);
  return count <= uint32_t(size - offset - kProgramRecordBase) / 4;
}

// Reads the program's name into the settings: the indexed name, else the current one.
void ReadProgramName(PluginInstance* instance, int32_t program, PluginSettings* settings) {
  char name[kVstNameBytes] = {};
  if (GetProgramNameIndexed(instance, program, name, sizeof name) != noErr)
    GetProgramName(instance, name, sizeof name);
  Str31 pascal = {};
  size_t length = strnlen(name, 31);
  pascal[0] = uint8_t(length);
  std::memcpy(pascal + 1, name, length);
  SetSettingsName(settings, pascal);
}

// The category word a VST plug-in's own category stands for, or null.
const char* CategoryWord(VstIntPtr category) {
  switch (category) {
    case kPlugCategSynth: return "synth";
    case kPlugCategAnalysis: return "util";
    case kPlugCategMastering: return "Dynamics";
    case kPlugCategSpacializer: return "Panners";
    case kPlugCategRoomFx: return "Reverbs";
    case kPlugSurroundFx: return "surround";
    case kPlugCategRestoration: return "Noise";
    default: return nullptr;
  }
}

// The first category whose name holds the word (any case), or -1.
int32_t FindCategoryHolding(const char* word) {
  Str255 first = {};
  GetCategoryName(0, first);
  for (int32_t n = 0; n < kMaxCategories; ++n) {
    Str255 text = {};
    GetCategoryName(uint32_t(n), text);
    if (n > 0 && std::memcmp(text, first, size_t(first[0]) + 1) == 0) break;
    std::string name(reinterpret_cast<const char*>(text + 1), text[0]);
    if (strcasestr(name.c_str(), word) != nullptr) return n;
  }
  return -1;
}

// Packs the 128 names as the list handle: u16 count, then length-prefixed names.
Handle PackInstrumentNames(const std::string (&names)[kInstrumentNames], int32_t count) {
  Size size = 2;
  for (const std::string& name : names) size += Size(name.size()) + 1;
  Handle list = NewHandleClear(size);
  if (!list) return Handle();
  uint8_t* at = reinterpret_cast<uint8_t*>(*list);
  WriteU16BE(at, uint16_t(count));
  at += 2;
  for (const std::string& name : names) {
    *at++ = uint8_t(name.size());
    std::memcpy(at, name.data(), name.size());
    at += name.size();
  }
  return list;
}

bool ReadInstrument(AudioUnit unit, uint32_t i, int32_t* number, std::string* name) {
  uint32_t size = sizeof *number;
  if (AudioUnitGetProperty(unit, kMusicDeviceProperty_InstrumentNumber, kAudioUnitScope_Global, i,
                           number, &size) != noErr)
    return false;
  char text[kInstrumentNameLimit] = {};
  size = sizeof text;
  if (AudioUnitGetProperty(unit, kMusicDeviceProperty_InstrumentName, kAudioUnitScope_Global, i,
                           text, &size) != noErr)
    return false;
  size_t length = strnlen(text, sizeof text);
  if (length >= 256) return false;
  name->assign(text, length > 255 ? 255 : length);
  return true;
}

}  // namespace

int32_t GetCurrentProgram(PluginInstance* instance) {
  if (instance == nullptr) return -1;
  if (IsVst(instance)) return int32_t(CallVstDispatcher(instance, kEffGetProgram, 0, 0, nullptr, 0));
  AUPreset preset{-1, nullptr};
  uint32_t size = sizeof preset;
  if (AudioUnitGetProperty(instance->unit, kAudioUnitProperty_CurrentPreset,
                           kAudioUnitScope_Global, 0, &preset, &size) != noErr)
    return -1;
  instance->currentPresetNumber = preset.presetNumber;
  char name[kCurrentPresetNameBytes] = {};
  PresetName(preset, name, sizeof name, kCurrentPresetNameBytes);
  instance->currentPresetName[0] = uint8_t(strnlen(name, 31));
  std::memcpy(instance->currentPresetName + 1, name, instance->currentPresetName[0]);
  return preset.presetNumber;
}

void SetProgram(PluginInstance* instance, int32_t program) {
  if (instance == nullptr) return;
  if (IsVst(instance)) {
    CallVstDispatcher(instance, kEffBeginSetProgram, 0, 0, nullptr, 0);
    CallVstDispatcher(instance, kEffSetProgram, 0, program, nullptr, 0);
    CallVstDispatcher(instance, kEffEndSetProgram, 0, 0, nullptr, 0);
    return;
  }
  AUPreset preset{0, nullptr};
  Str255 name;
  if (FactoryPresetAt(instance, program, &preset.presetNumber, name))
    AudioUnitSetProperty(instance->unit, kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global,
                         0, &preset, sizeof preset);
}

void SetProgramQuietly(PluginInstance* instance, int32_t program) {
  if (instance == nullptr) return;
  uint16_t quiet = instance->stateFlags & kPluginStateNoRefresh;
  instance->stateFlags |= kPluginStateNoRefresh;
  SetProgram(instance, program);
  instance->stateFlags = uint16_t((instance->stateFlags & ~kPluginStateNoRefresh) | quiet);
}

OSErr GetProgramNameIndexed(PluginInstance* instance, int32_t program, char* name,
                            int32_t capacity) {
  CopyText(name, capacity, "");
  if (instance == nullptr) return kUnsupportedErr;
  if (IsVst(instance)) {
    char buffer[kVstNameBytes] = {};
    if (!CallVstDispatcher(instance, kEffGetProgramNameIndexed, program, -1, buffer, 0))
      return kUnsupportedErr;
    CopyText(name, capacity, buffer);
    return noErr;
  }
  int32_t number = -1;
  Str255 preset;
  if (!FactoryPresetAt(instance, program, &number, preset)) return kUnsupportedErr;
  CachedPresetName(preset, name, capacity);
  return noErr;
}

void GetProgramName(PluginInstance* instance, char* name, int32_t capacity) {
  CopyText(name, capacity, "");
  if (instance == nullptr) return;
  if (IsVst(instance)) {
    char buffer[kVstNameBytes] = {};
    CallVstDispatcher(instance, kEffGetProgramName, 0, 0, buffer, 0);
    CopyText(name, capacity, buffer);
    return;
  }
  AUPreset preset{-1, nullptr};
  uint32_t size = sizeof preset;
  if (AudioUnitGetProperty(instance->unit, kAudioUnitProperty_CurrentPreset,
                           kAudioUnitScope_Global, 0, &preset, &size) == noErr)
    PresetName(preset, name, capacity, kCurrentPresetNameBytes);
}

void SetProgramName(PluginInstance* instance, const char* name) {
  if (instance == nullptr || !IsVst(instance) || name == nullptr) return;
  char buffer[kVstNameBytes] = {};
  CopyVstString(buffer, name, kVstMaxProgNameLen);
  uint16_t quiet = instance->stateFlags & kPluginStateNoRefresh;
  instance->stateFlags |= kPluginStateNoRefresh;
  CallVstDispatcher(instance, kEffSetProgramName, 0, 0, buffer, 0);
  instance->stateFlags = uint16_t((instance->stateFlags & ~kPluginStateNoRefresh) | quiet);
}

int32_t GetProgramRecord(Handle list, int32_t program) {
  if (!list || program < 0 || program >= ProgramListCount(list)) return -1;
  int32_t offset = kProgramListHeader;
  for (int32_t n = 0; n < program && offset >= 0; ++n) offset = NextProgramRecord(list, offset);
  return offset >= 0 && RecordFits(list, offset) ? offset : -1;
}

int32_t NextProgramRecord(Handle list, int32_t offset) {
  if (!list || !RecordFits(list, offset)) return -1;
  int32_t next = offset + kProgramRecordBase + 4 * int32_t(ReadU32BE(*list + offset + 4));
  return RecordFits(list, next) ? next : -1;
}

namespace {

// Whether the program list names the program otherwise than the instance is named.
bool ListNamesProgramOtherwise(const PluginInstance* instance, int32_t program) {
  Handle list = instance->programList;
  if (!list || !IsValidHandle(list)) return false;
  int32_t offset = GetProgramRecord(list, program);
  if (offset < 0) return false;
  const uint8_t* name = reinterpret_cast<const uint8_t*>(*list) + offset + kProgramRecordNameAt;
  uint8_t length = std::min<uint8_t>(name[0], 31);
  return length != instance->name[0] || std::memcmp(name + 1, instance->name + 1, length) != 0;
}

// A program chosen in the plug-in itself that its program list names: the insert is opened
// again with settings that carry the program, and a MIDI-receiving plug-in's patch names are
// registered again.
void ReopenWithProgram(PluginInstance* instance, PluginSettings* settings, int32_t program) {
  SavePluginSettings(instance, settings);
  SetSettingsProgram(settings, program);
  ReopenPluginInsert(instance->id, settings->bytes, int32_t(sizeof settings->bytes));
  if (instance->receivesMidi) RegisterPluginPatchNames(instance->id);
}

}  // namespace

void RefreshPluginProgram(PluginInstance* instance, PluginSettings* settings) {
  if (instance == nullptr || settings == nullptr) return;
  int32_t kind = instance->stateFlags & kPluginStateRefreshMask;
  if (kind == 0 || (instance->stateFlags & kPluginStateNoRefresh)) return;
  int32_t program = GetCurrentProgram(instance);
  if (!IsVst(instance) || program >= int32_t(GetSettingsProgramCount(settings)) ||
      program != GetSettingsProgram(settings)) {
    SetSettingsProgram(settings, program);
    ReadProgramName(instance, program, settings);
    if (kind >= 2 && GetPluginRenderChannel() == nullptr && ListNamesProgramOtherwise(instance, program))
      ReopenWithProgram(instance, settings, program);
    RequestPluginWindowRefresh(kRefreshMainEditor | kRefreshMixer);
  }
  instance->stateFlags &= uint16_t(~kPluginStateRefreshMask);
}

void GuessVstCategory(PluginInfo* info, PluginInstance* instance) {
  if (info == nullptr || instance == nullptr || !IsVst(instance)) return;
  if (CallVstDispatcher(instance, kEffGetNumProgramCategories, 0, 0, nullptr, 0) <= 0) return;
  const char* word = CategoryWord(CallVstDispatcher(instance, kEffGetPlugCategory, 0, 0, nullptr, 0));
  int32_t category = word ? FindCategoryHolding(word) : -1;
  if (category < 0) return;
  info->category = uint32_t(category);
  RequestPluginWindowRefresh(kRefreshPluginChooser);
}

Handle BuildInstrumentNameList(PluginInstance* instance, int32_t* bank) {
  int32_t wanted = bank ? *bank : 0;
  if (bank) *bank = -1;
  if (instance == nullptr || IsVst(instance) || !instance->receivesMidi) return Handle();
  uint32_t count = 0, size = sizeof count;
  if (AudioUnitGetProperty(instance->unit, kMusicDeviceProperty_InstrumentCount,
                           kAudioUnitScope_Global, 0, &count, &size) != noErr)
    return Handle();
  std::string names[kInstrumentNames];
  int32_t highest = -1, nextBank = -1;
  for (uint32_t i = 0; i < count; ++i) {
    int32_t number = 0;
    std::string name;
    if (!ReadInstrument(instance->unit, i, &number, &name)) break;
    int32_t slot = number - wanted * 256;
    if (slot >= 0 && slot < kInstrumentNames) {
      names[slot] = name;
      if (slot > highest) highest = slot;
    } else if (number / 256 > wanted && (nextBank < 0 || number / 256 < nextBank)) {
      nextBank = number / 256;
    }
  }
  if (bank) *bank = nextBank;
  return highest < 0 ? Handle() : PackInstrumentNames(names, highest + 1);
}
