#include "plugins/host/insert_rack_states.h"

#include <cstring>
#include <vector>

#include "platform/files/aliases.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_device_table.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_parameters.h"
#include "plugins/host/plugin_settings.h"
#include "plugins/host/plugin_state.h"
#include "plugins/library/plugin_loading.h"
#include "plugins/library/plugin_table.h"
#include "plugins/library/plugin_table_entries.h"
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

void FillHeader(uint8_t* header, PluginInstance* first, int32_t count) {
  WriteU32BE(header + kRackStateCount, uint32_t(count));
  WriteU32BE(header + kRackStateVersionAt, kRackStateVersion);
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

void FillRecord(uint8_t* record, const SavedPlugin& saved) {
  const PluginInstance* instance = saved.instance;
  const PluginInfo* info = PluginInfoAt(int32_t(instance->tableIndex));
  const PluginSettings* s = &saved.settings;
  WriteU32BE(record + kRackPluginId, info ? info->uniqueId : 0);
  WriteU32BE(record + kRackPluginParameters, uint32_t(saved.values.size()));
  WriteU32BE(record + kRackPluginSettingsA, GetSettingsUserWord(s));
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
  WriteU32BE(record + kRackPluginVersion, info ? info->version : 0);
  WriteU32BE(record + kRackPluginSettingsC, GetSettingsOutputRouting(s));
  Handle alias = info ? info->alias : Handle();
  if (alias && HandToHand(&alias) == noErr) WriteU32BE(record + kRackPluginAlias, alias.id);
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

void RestoreRecord(PluginInstance* instance, const uint8_t* record) {
  PluginSettings settings = RecordSettings(record, instance);
  LoadPluginSettings(instance, &settings);
  RestoreBypassState(instance, &settings, 1);
  uint32_t count = ReadU32BE(record + kRackPluginParameters);
  uint32_t stateLength = ReadU32BE(record + kRackPluginStateLength);
  const uint8_t* values = record + kRackPluginValues;
  if (stateLength > 0) RestorePluginState(instance, values + 4 * count, int32_t(stateLength), false);
  if (ReadU32BE(record + kRackPluginFlags) & kRackPluginKeepValues) return;
  for (uint32_t i = 0; i < count && i < instance->parameterCount; ++i)
    SetPluginParameterChecked(instance, int32_t(i), ReadF32BE(values + 4 * i), kSetParameterNormal);
}

bool AnyRecordKnown(Handle state) {
  for (int32_t n = 0, at; (at = GetRackStateRecord(state, n)) >= 0; ++n)
    if (FindRecordPlugin(Bytes(state) + at) >= 0) return true;
  return false;
}

OSErr ApplyRecord(Handle rack, Handle state, int32_t n, uint32_t* head) {
  int32_t index = FindRecordPlugin(Bytes(state) + GetRackStateRecord(state, n));
  if (index < 0) return fnfErr;
  int32_t before = CountChainPlugins(*head);
  OSErr err = LoadPlugin(index, GetRackSampleRate(rack), -1, head, kLoadSilent);
  if (CountChainPlugins(*head) <= before) return err != noErr ? err : OSErr(kPluginOpenFailed);
  // Loading may move the state block: take the record's address afresh.
  RestoreRecord(GetChainPlugin(*head, before), Bytes(state) + GetRackStateRecord(state, n));
  return noErr;
}

// A state that holds no plug-in the table knows (or no plug-in at all) stays pending, so
// that saving the song again writes it back as it was read.
void ApplyPendingRack(Handle rack) {
  if (!RackHasAutomationFields(rack)) return;
  uint8_t* p = Bytes(rack);
  Handle state(ReadU32BE(p + kPluginRecordRackState));
  if (!(p[kPluginRecordFlags] & kPluginFlagRackPending) || !state || !IsValidHandle(state)) return;
  if (!AnyRecordKnown(state)) return;
  WriteU32BE(Bytes(rack) + kPluginRecordRackState, 0);
  Bytes(rack)[kPluginRecordFlags] &= uint8_t(~kPluginFlagRackPending);
  ApplyRackPluginStates(rack, state);
  DisposeInsertRackState(&state);
  // The document's device table came without its links: the device this rack plays takes
  // the chain's new head, so that its tracks sound through it.
  if (GetRackDeviceIdByte(rack) != 0 && GetRackChainHead(rack) != 0) UpdateRackDevice(rack, 2);
}

int32_t ApplyInstrumentRack(void*, uint8_t* record) {
  ApplyPendingRack(Handle(ReadU32BE(record + kInstInsertRack)));
  return 0;
}

int32_t ApplyTrackRack(void*, uint8_t* entry) {
  ApplyPendingRack(Handle(ReadU32BE(entry + kTrackInsertRack)));
  return 0;
}

int32_t ApplySongRacks(void*) {
  SearchSongTracks(ApplyTrackRack, nullptr);
  return 0;
}

}  // namespace

Handle SaveRackPluginStates(Handle rack) {
  uint32_t head = IsInsertRack(rack) ? GetRackChainHead(rack) : 0;
  int32_t count = CountChainPlugins(head);
  if (count <= 0 || count > kMaxRackPlugins) return Handle();
  std::vector<SavedPlugin> plugins;
  Size size = kRackStateHeaderBytes;
  for (int32_t n = 0; n < count; ++n) {
    plugins.push_back(TakePlugin(GetChainPlugin(head, n)));
    size += kRackStateRecordBytes + 4 * Size(plugins.back().values.size()) + Size(plugins.back().blob.size());
  }
  Handle state = NewHandleClear(size);
  if (!state) return Handle();
  FillHeader(Bytes(state), plugins.front().instance, count);
  Size at = kRackStateHeaderBytes;
  for (const SavedPlugin& saved : plugins) {
    FillRecord(Bytes(state) + at, saved);
    at += kRackStateRecordBytes + 4 * Size(saved.values.size()) + Size(saved.blob.size());
  }
  return state;
}

OSErr ApplyRackPluginStates(Handle rack, Handle state) {
  if (!IsInsertRack(rack) || !state) return paramErr;
  uint32_t head = GetRackChainHead(rack);
  OSErr first = noErr;
  int32_t count = CountRackStateRecords(state);
  for (int32_t n = 0; n < count; ++n) {
    OSErr err = ApplyRecord(rack, state, n, &head);
    if (first == noErr) first = err;
  }
  SetRackChainHead(rack, head);
  return first;
}

void InstantiatePendingRackStates() {
  ForEachInstrumentAndSpecial(ApplyInstrumentRack, nullptr);
  ForEachSong(ApplySongRacks, nullptr);
}

void InstallInsertRackStateHooks() {
  gInstrumentPluginHooks.saveInsertRackState = SaveRackPluginStates;
  gInstrumentPluginHooks.applyInsertRackState = ApplyRackPluginStates;
  gDocumentHooks.instantiatePendingInsertRacks = InstantiatePendingRackStates;
}
