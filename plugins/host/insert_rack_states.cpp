#include "plugins/host/insert_rack_states.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/files/aliases.h"
#include "platform/files/file_locations.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "plugins/host/audio_unit_layouts.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_device_table.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/host/plugin_parameters.h"
#include "plugins/host/plugin_preset_lists.h"
#include "plugins/host/plugin_programs.h"
#include "plugins/host/plugin_settings.h"
#include "plugins/host/plugin_state.h"
#include "plugins/library/plugin_loading.h"
#include "plugins/library/plugin_table.h"
#include "plugins/library/plugin_table_entries.h"
#include "shell/base/error_report.h"
#include "shell/base/progress_hooks.h"
#include "shell/base/memory_reserve.h"
#include "song/documents/document_hooks.h"
#include "song/instruments/insert_rack_state.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/plugin_hooks.h"
#include "song/instruments/plugin_records.h"
#include "song/instruments/rack_automation_fields.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/song_iterators.h"
#include "song/model/track_iterators.h"

namespace {

constexpr int32_t kMaxRackPlugins = 256;

uint8_t* Bytes(Handle h) { return reinterpret_cast<uint8_t*>(*h); }

// One plug-in's part of a state: its settings, its values and its opaque state.
struct SavedPlugin {
  PluginInstance* instance = nullptr;
  PluginSettings settings;
  std::vector<float> values;
  std::vector<uint8_t> blob;
};

SavedPlugin TakePlugin(PluginInstance* instance) {
  SavedPlugin saved;
  saved.instance = instance;
  SavePluginSettings(instance, &saved.settings);
  for (uint32_t i = 0; i < instance->parameterCount; ++i)
    saved.values.push_back(GetPluginParameterChecked(instance, int32_t(i)));
  const void* data = nullptr;
  int32_t length = SavePluginClassInfo(instance, &data, false);
  if (length > 0) saved.blob.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + length);
  return saved;
}

// The rack faders and the channel map, kept by the chain's first plug-in.
void FillHeaderFaders(uint8_t* header, PluginInstance* first) {
  float inputScale = 0.0f, outputScale = 0.0f;
  uint16_t rackFormat = 0;
  GetPluginGains(first, &inputScale, &outputScale, &rackFormat);
  WriteF32BE(header + kRackStateFader0, inputScale);
  WriteF32BE(header + kRackStateFader2, outputScale);
  WriteU16BE(header + kRackStateFader1, rackFormat);
  uint16_t mapped = 0;
  for (int32_t i = 0; i < kMaxChannelMapIndex; ++i) {
    header[kRackStateChannelMap + i] = AccessPluginChannelMap(i, first, 0, nullptr, 0);
    if (header[kRackStateChannelMap + i] != 0) mapped |= uint16_t(1 << i);
  }
  WriteU16BE(header + kRackStateChannelMask, mapped);
}

void FillHeader(uint8_t* header, PluginInstance* first) {
  FillHeaderFaders(header, first);
  uint32_t stereo = 0;
  uint8_t outputs = 0;
  GetPluginIOConfig(first, &stereo, &outputs);
  header[kRackStateBusCount] = outputs;
  WriteU32BE(header + kRackStateOutputConfig, stereo);
  for (int32_t bus = 0; bus < outputs && bus < 32; ++bus)
    GetPluginOutputBusInfo(first, bus, header + kRackStateRoutingFirst + bus,
                           header + kRackStateRoutingSecond + bus,
                           header + kRackStateRoutingThird + bus);
}

// An alias of the plug-in's file: a copy of the table entry's alias, or one made from the
// entry's path when the entry keeps none.
Handle NewPluginFileAlias(const PluginInfo* info) {
  if (!info) return Handle();
  Handle alias = info->alias;
  if (alias && IsValidHandle(alias)) return HandToHand(&alias) == noErr ? alias : Handle();
  FSSpec file;
  AliasHandle made;
  if (info->path[0] == 0 || PathToSpec(info->path, &file) != noErr) return Handle();
  return NewAliasMinimal(&file, &made) == noErr ? Handle(made) : Handle();
}

// An alias of the sound-bank file the plug-in reports, when it names one; else none.
Handle NewSoundBankAlias(const PluginInstance* instance) {
  FSSpec bank;
  SoundBankImageToFile(instance->soundBank, &bank);
  if (bank.name[0] == 0) return Handle();
  AliasHandle alias;
  return NewAliasMinimal(&bank, &alias) == noErr ? Handle(alias) : Handle();
}

// The 96-byte preset record a state without opaque bytes keeps: u32 1, then the current
// program's name (at most 63 characters, length-prefixed) at 32.
Handle NewPresetRecord(PluginInstance* instance) {
  Handle preset = NewHandleClear(kRackPresetRecordBytes);
  if (!preset) return preset;
  char name[kRackPresetNameMax + 1] = {};
  GetProgramName(instance, name, int32_t(sizeof(name)));
  uint8_t* p = Bytes(preset);
  WriteU32BE(p, 1);
  size_t length = std::strlen(name);
  p[kRackPresetName] = uint8_t(length);
  std::memcpy(p + kRackPresetName + 1, name, length);
  return preset;
}

void FillRecord(uint8_t* record, const SavedPlugin& saved) {
  PluginInstance* instance = saved.instance;
  const PluginInfo* info = PluginInfoAt(int32_t(instance->tableIndex));
  const PluginSettings* s = &saved.settings;
  WriteU32BE(record + kRackPluginId, info ? info->uniqueId : 0);
  WriteU32BE(record + kRackPluginParameters, uint32_t(saved.values.size()));
  WriteU32BE(record + kRackPluginSettingsA, GetSettingsUserWord(s));
  WriteU32BE(record + kRackPluginFlags, GetSettingsFlags(s));
  WriteI32BE(record + kRackPluginPreset, GetSettingsProgram(s));
  WriteU16BE(record + kRackPluginMidiFilterFlag, GetSettingsMidiOptions(s));
  WriteU32BE(record + kRackPluginStateLength, uint32_t(saved.blob.size()));
  WriteI16BE(record + kRackPluginMidiKinds, GetSettingsMidiKindMask(s));
  WriteU16BE(record + kRackPluginMidiChannels, GetSettingsMidiChannelMask(s));
  GetSettingsControllerMask(s, record + kRackPluginMidiFilter);
  WriteU32BE(record + kRackPluginSettingsB, GetSettingsBankWord(s));
  record[kRackPluginInputs] = uint8_t(instance->inputChannels);
  record[kRackPluginOutputs] = uint8_t(instance->outputChannels);
  record[kRackPluginType] = info ? uint8_t(info->kind - 1) : 0;
  record[kRackPluginStateByte1] = GetSettingsBypass(s);
  record[kRackPluginStateByte2] = GetSettingsReceivesMidi(s);
  record[kRackPluginColour] = GetSettingsColour(s);
  WriteU32BE(record + kRackPluginVersion, info ? info->version : 0);
  WriteU32BE(record + kRackPluginSettingsC, GetSettingsOutputRouting(s));
  WriteU32BE(record + kRackPluginAlias, NewPluginFileAlias(info).id);
  WriteU32BE(record + kRackPluginBankAlias, NewSoundBankAlias(instance).id);
  if (saved.blob.empty()) WriteU32BE(record + kRackPluginPresetRecord, NewPresetRecord(instance).id);
  uint8_t* values = record + kRackPluginValues;
  for (float value : saved.values) {
    WriteF32BE(values, value);
    values += 4;
  }
  if (!saved.blob.empty()) std::memcpy(values, saved.blob.data(), saved.blob.size());
}

// The settings a record carries, as the settings record the instance restores from.
PluginSettings RecordSettings(const uint8_t* record, const PluginInstance* instance) {
  PluginSettings s;
  SavePluginSettings(const_cast<PluginInstance*>(instance), &s);
  SetSettingsUserWord(&s, ReadU32BE(record + kRackPluginSettingsA));
  SetSettingsFlags(&s, ReadU32BE(record + kRackPluginFlags));
  SetSettingsColour(&s, record[kRackPluginColour]);
  SetSettingsProgram(&s, ReadI32BE(record + kRackPluginPreset));
  SetSettingsOutputRouting(&s, ReadU32BE(record + kRackPluginSettingsC));
  SetSettingsBypass(&s, record[kRackPluginStateByte1]);
  SetSettingsReceivesMidi(&s, record[kRackPluginStateByte2]);
  const uint8_t empty[1] = {0};
  SetSettingsName(&s, empty);
  return s;
}

// The table entry a record names: by its file when the alias still leads to one, else by
// its id and kind.
int32_t FindRecordPlugin(const uint8_t* record) {
  Handle alias(ReadU32BE(record + kRackPluginAlias));
  FSSpec location;
  Boolean changed = false;
  if (alias && IsValidHandle(alias) && ResolveAlias(nullptr, alias, &location, &changed) == noErr) {
    int32_t index = FindPluginBySpec(&location);
    if (index >= 0) return index;
  }
  int32_t index = -1;
  FindPluginById(ReadU32BE(record + kRackPluginId), &index, int32_t(record[kRackPluginType]) + 1);
  return index;
}

// The MIDI filter of the record: message and channel masks, the filter dialog's flag and
// the 16 filter bytes, and the bank word (settings word B).
void RestoreMidiFilter(PluginInstance* instance, const uint8_t* record) {
  instance->midiKindMask = ReadI16BE(record + kRackPluginMidiKinds);
  instance->midiChannelMask = ReadU16BE(record + kRackPluginMidiChannels);
  instance->midiOptions = ReadU16BE(record + kRackPluginMidiFilterFlag);
  std::memcpy(instance->controllerMask, record + kRackPluginMidiFilter, 16);
  instance->bankWord = ReadU32BE(record + kRackPluginSettingsB);
}

// The sound bank the record names goes back into the plug-in, when its file is still found.
void RestoreSoundBank(PluginInstance* instance, const uint8_t* record) {
  Handle alias(ReadU32BE(record + kRackPluginBankAlias));
  FSSpec bank;
  Boolean changed = false;
  if (!alias || !IsValidHandle(alias) || ResolveAlias(nullptr, alias, &bank, &changed) != noErr) return;
  uint8_t image[kSoundBankSpecBytes];
  FileToSoundBankImage(&bank, image);
  AccessSoundBank(instance, 0, image);
}

// The program the record's preset index names, when it lies in the factory list (a plug-in
// whose opaque state carries its program only when the record holds none). Chosen before the
// values are restored, which would otherwise give way to the program's own.
bool SelectRecordProgram(PluginInstance* instance, const uint8_t* record, float rate) {
  const PluginInfo* info = PluginInfoAt(int32_t(instance->tableIndex));
  uint32_t flags = info ? info->pluginFlags : 0;
  int32_t preset = ReadI32BE(record + kRackPluginPreset);
  if (preset < 0 || preset >= CountPresets(instance->programList)) return false;
  if ((flags & kPluginFlagProgramInState) && ReadU32BE(record + kRackPluginStateLength) != 0) return false;
  bool prepare = (flags & kPluginFlagPrepareForPrograms) != 0;
  if (prepare) {
    SetPluginSampleRate(instance, rate);
    ResumePlugin(instance, 0);
  }
  SetProgramQuietly(instance, preset);
  if (prepare) SuspendPlugin(instance);
  return true;
}

// The factory slot of the chosen program takes the values restored and the program's name
// when they differ from what the slot holds.
void UpdateProgramSlot(PluginInstance* instance, int32_t preset, const uint8_t* values, uint32_t count) {
  Handle list = instance->programList;
  count = std::min(count, GetPresetCount(list, preset));
  bool differ = false;
  for (uint32_t i = 0; i < count && !differ; ++i)
    differ = GetPresetValue(list, preset, int32_t(i)) != ReadF32BE(values + 4 * i);
  if (!differ) return;
  for (uint32_t i = 0; i < count; ++i) SetPresetValue(list, preset, int32_t(i), ReadF32BE(values + 4 * i));
  char text[kRackPresetNameMax + 1] = {};
  GetProgramName(instance, text, int32_t(sizeof(text)));
  Str31 name;
  name[0] = uint8_t(std::min<size_t>(std::strlen(text), 31));
  std::memcpy(name + 1, text, name[0]);
  SetPresetName(list, preset, name);
}

void RestoreRecord(PluginInstance* instance, const uint8_t* record, float rate) {
  PluginSettings settings = RecordSettings(record, instance);
  LoadPluginSettings(instance, &settings);
  RestoreMidiFilter(instance, record);
  RestoreBypassState(instance, &settings, 1);
  if (record[kRackPluginOutputs] != 0 && instance->unit != 0)
    SetPluginChannelCounts(instance, record[kRackPluginInputs], record[kRackPluginOutputs]);
  RestoreSoundBank(instance, record);
  bool selected = SelectRecordProgram(instance, record, rate);
  uint32_t count = ReadU32BE(record + kRackPluginParameters);
  uint32_t stateLength = ReadU32BE(record + kRackPluginStateLength);
  const uint8_t* values = record + kRackPluginValues;
  if (stateLength > 0) RestorePluginState(instance, values + 4 * count, int32_t(stateLength), false);
  if (ReadU32BE(record + kRackPluginFlags) & kRackPluginKeepValues) return;
  for (uint32_t i = 0; i < count && i < instance->parameterCount; ++i)
    SetPluginParameterChecked(instance, int32_t(i), ReadF32BE(values + 4 * i), kSetParameterNormal);
  if (selected) UpdateProgramSlot(instance, ReadI32BE(record + kRackPluginPreset), values, count);
}

bool AnyRecordKnown(Handle state) {
  for (int32_t n = 0, at; (at = GetRackStateRecord(state, n)) >= 0; ++n)
    if (FindRecordPlugin(Bytes(state) + at) >= 0) return true;
  return false;
}

// The name a progress line shows for a record: the plug-in file's name from its alias, else
// the name of the table's entry, else the plug-in's four-character id.
void GetRecordDisplayName(const uint8_t* record, Str255 name) {
  Handle alias(ReadU32BE(record + kRackPluginAlias));
  FSSpec location;
  Boolean changed = false;
  if (alias && IsValidHandle(alias) && ResolveAlias(nullptr, alias, &location, &changed) == noErr &&
      location.name[0] != 0) {
    std::memcpy(name, location.name, size_t(location.name[0]) + 1);
    return;
  }
  if (FindPluginForRackRecord(record, name) == noErr) return;
  name[0] = 4;
  WriteU32BE(name + 1, ReadU32BE(record + kRackPluginId));
}

// The work of instantiating pending states: steps done of the dialog's total, or none.
struct RackProgress {
  bool shown = false;
  int32_t done = 0;
};

void ShowRecordProgress(RackProgress* progress, const uint8_t* record) {
  if (!progress || !progress->shown) return;
  Str255 name;
  GetRecordDisplayName(record, name);
  SetProgressLine(name);
  ProgressAskedToStop(++progress->done);
}

OSErr ApplyRecord(Handle rack, Handle state, int32_t n, uint32_t* head, RackProgress* progress) {
  ShowRecordProgress(progress, Bytes(state) + GetRackStateRecord(state, n));
  int32_t index = FindRecordPlugin(Bytes(state) + GetRackStateRecord(state, n));
  if (index < 0) return fnfErr;
  int32_t before = CountChainPlugins(*head);
  OSErr err = LoadPlugin(index, GetRackSampleRate(rack), -1, head, kLoadSilent);
  if (CountChainPlugins(*head) <= before) return err != noErr ? err : OSErr(kPluginOpenFailed);
  // Loading may move the state block: take the record's address afresh.
  PluginInstance* instance = GetChainPlugin(*head, before);
  RestoreRecord(instance, Bytes(state) + GetRackStateRecord(state, n), GetRackSampleRate(rack));
  RegisterPluginPatchNames(instance->id);
  return noErr;
}

// The header's rack faders, output buses and channel map go to the chain's first plug-in
// (the buses to every plug-in of the chain). Faders stored as all zeros are states written
// before the faders were kept: the plug-in keeps its own.
void ApplyRackHeader(const uint8_t* header, uint32_t head) {
  PluginInstance* first = GetChainPlugin(head, 0);
  if (!first) return;
  float fader0 = ReadF32BE(header + kRackStateFader0), fader2 = ReadF32BE(header + kRackStateFader2);
  uint16_t fader1 = ReadU16BE(header + kRackStateFader1);
  if (fader0 != 0.0f || fader2 != 0.0f || fader1 != 0) SetPluginGains(first, fader0, fader2, fader1, 0);
  uint8_t buses = header[kRackStateBusCount];
  if (buses > 0) SetPluginIOConfig(first, ReadU32BE(header + kRackStateOutputConfig), buses);
  for (int32_t bus = 0; bus < buses && bus < 32; ++bus)
    SetChainBusBytes(bus, head, header[kRackStateRoutingThird + bus], header[kRackStateRoutingFirst + bus],
                     header[kRackStateRoutingSecond + bus]);
  uint16_t mapped = ReadU16BE(header + kRackStateChannelMask);
  for (int32_t i = 0; i < kMaxChannelMapIndex; ++i)
    if (mapped & (1 << i)) AccessPluginChannelMap(i, first, 1, nullptr, header[kRackStateChannelMap + i]);
}

OSErr ApplyRackStateRecords(Handle rack, Handle state, RackProgress* progress) {
  if (!IsInsertRack(rack) || !state || !IsValidHandle(state)) return paramErr;
  SetRackFlags(rack, uint8_t(GetRackFlags(rack) & ~kRackFlagInsertsOff));
  uint32_t head = GetRackChainHead(rack);
  OSErr first = noErr;
  int32_t count = CountRackStateRecords(state);
  for (int32_t n = 0; n < count; ++n) {
    OSErr err = ApplyRecord(rack, state, n, &head, progress);
    if (first == noErr) first = err;
  }
  if (count > 0 && GetRackChainHead(rack) == 0) ApplyRackHeader(Bytes(state), head);
  SetRackChainHead(rack, head);
  return first;
}

Handle PendingRackState(Handle rack) {
  if (!RackHasAutomationFields(rack)) return Handle();
  const uint8_t* p = Bytes(rack);
  Handle state(ReadU32BE(p + kPluginRecordRackState));
  if (!(p[kPluginRecordFlags] & kPluginFlagRackPending) || !state || !IsValidHandle(state)) return Handle();
  return state;
}

// A whole header that names no plug-in.
bool IsBareRackState(Handle state) {
  return GetHandleSize(state) >= kRackStateHeaderBytes && ReadU32BE(Bytes(state) + kRackStateCount) == 0;
}

// A state that holds plug-ins of which the table knows none stays pending, so that saving
// the song again writes it back as it was read; a state without plug-ins is an empty chain.
void ApplyPendingRack(Handle rack, RackProgress* progress) {
  Handle state = PendingRackState(rack);
  if (!state || (!IsBareRackState(state) && !AnyRecordKnown(state))) return;
  WriteU32BE(Bytes(rack) + kPluginRecordRackState, 0);
  Bytes(rack)[kPluginRecordFlags] &= uint8_t(~kPluginFlagRackPending);
  ApplyRackStateRecords(rack, state, progress);
  DisposeInsertRackState(&state);
  // The document's device table came without its links: the device this rack plays takes
  // the chain's new head, so that its tracks sound through it.
  if (GetRackDeviceIdByte(rack) != 0 && GetRackChainHead(rack) != 0) UpdateRackDevice(rack, 2);
}

// One walk over every rack that may hold a pending state: the instruments (busses and the
// master included) and the tracks of every song.
struct PendingWalk {
  RackProgress* progress = nullptr;  // applying; null: counting into count
  int32_t count = 0;
};

void VisitPendingRack(PendingWalk* walk, Handle rack) {
  if (walk->progress) {
    ApplyPendingRack(rack, walk->progress);
    return;
  }
  Handle state = PendingRackState(rack);
  if (state && AnyRecordKnown(state)) walk->count += CountRackStateRecords(state);
}

int32_t VisitInstrumentRack(void* walk, uint8_t* record) {
  VisitPendingRack(static_cast<PendingWalk*>(walk), Handle(ReadU32BE(record + kInstInsertRack)));
  return 0;
}

int32_t VisitTrackRack(void* walk, uint8_t* entry) {
  VisitPendingRack(static_cast<PendingWalk*>(walk), Handle(ReadU32BE(entry + kTrackInsertRack)));
  return 0;
}

int32_t VisitSongRacks(void* walk) {
  SearchSongTracks(VisitTrackRack, walk);
  return 0;
}

void WalkPendingRacks(PendingWalk* walk) {
  ForEachInstrumentAndSpecial(VisitInstrumentRack, walk);
  ForEachSong(VisitSongRacks, walk);
}

}  // namespace

Handle SaveRackPluginStates(Handle rack) {
  if (!IsInsertRack(rack)) return Handle();
  uint32_t head = GetRackChainHead(rack);
  int32_t count = std::min(CountChainPlugins(head), kMaxRackPlugins);
  Handle state = NewHandleClear(kRackStateHeaderBytes);
  if (!state) {
    ReportError(memFullErr);
    return state;
  }
  if (count > 0) FillHeader(Bytes(state), GetChainPlugin(head, 0));
  WriteU32BE(Bytes(state) + kRackStateVersionAt, kRackStateVersion);
  int32_t kept = 0;
  for (; kept < count; ++kept) {
    SavedPlugin saved = TakePlugin(GetChainPlugin(head, kept));
    Size at = GetHandleSize(state);
    Size length = kRackStateRecordBytes + 4 * Size(saved.values.size()) + Size(saved.blob.size());
    if (SetHandleSizeWithReserve(state, at + length) != noErr) break;
    std::memset(Bytes(state) + at, 0, size_t(length));
    FillRecord(Bytes(state) + at, saved);
  }
  if (kept < count) {
    // Memory ran out: the records made so far are kept, or nothing when there are none.
    ReportError(memFullErr);
    if (kept == 0) {
      DisposeHandle(state);
      return Handle();
    }
  }
  WriteU32BE(Bytes(state) + kRackStateCount, uint32_t(kept));
  return state;
}

OSErr ApplyRackPluginStates(Handle rack, Handle state) {
  return ApplyRackStateRecords(rack, state, nullptr);
}

OSErr FindPluginForRackRecord(const uint8_t* record, Str255 name) {
  int32_t index = -1;
  uint8_t kind = uint8_t(record[kRackPluginType] + 1);
  if (!FindPluginById(ReadU32BE(record + kRackPluginId), &index, kind)) return fnfErr;
  const PluginInfo* info = PluginInfoAt(index);
  if (!info || info->kind != kind) return fnfErr;
  std::memcpy(name, info->name, size_t(info->name[0]) + 1);
  return noErr;
}

void InstantiatePendingRackStates() {
  PendingWalk count;
  WalkPendingRacks(&count);
  RackProgress progress;
  if (count.count > 0) {
    BeginProgress(kProgressWorking, count.count);
    progress.shown = true;
  }
  PendingWalk apply;
  apply.progress = &progress;
  WalkPendingRacks(&apply);
  if (progress.shown) EndProgress();
}

void InstallInsertRackStateHooks() {
  gInstrumentPluginHooks.saveInsertRackState = SaveRackPluginStates;
  gInstrumentPluginHooks.applyInsertRackState = ApplyRackPluginStates;
  gDocumentHooks.instantiatePendingInsertRacks = InstantiatePendingRackStates;
}
