#include "plugins/host/audio_unit_instances.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "audio/engine/engine_run_state.h"
#include "platform/events/classic_events.h"
#include "platform/events/key_codes.h"
#include "platform/files/file_locations.h"
#include "platform/memory/byte_order.h"
#include "platform/text/cf_array.h"
#include "plugins/host/audio_unit_callbacks.h"
#include "plugins/host/audio_unit_layouts.h"
#include "plugins/host/audio_unit_listeners.h"
#include "plugins/host/chain_render.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/library/plugin_table.h"
#include "sequencer/transport/playback_stop.h"
#include "shell/base/error_report.h"
#include "shell/base/idle_flag.h"

namespace {

constexpr uint32_t kSpeechSynthId = FourCC("ttsp");
constexpr uint32_t kInfoFlagNoReinit = 0x400;
constexpr uint32_t kInfoFlagNoViewsNeeded = 0x1000;
constexpr uint32_t kInfoFlagCarbonFirst = 0x40000;
constexpr uint32_t kRenderGenerationTwo = 2;
constexpr uint32_t kMaxBusChannels = kMaxPluginChannels;
constexpr Float32 kListenerInterval = 0.05f;
// A latency report below this is seconds; at or above it, already samples.
constexpr double kLatencySecondsLimit = 5.0;
constexpr uint16_t kRenderQualities[kRenderQualitySteps] = {127, 96, 64, 32, 0};
// A cached factory preset: its number, then its name as a Pascal string.
constexpr int32_t kPresetEntry = 68;
constexpr int32_t kPresetNameBytes = 64;
constexpr int32_t kFSSpecNameOffset = 6;

bool IsOptionKeyHeld() { return (GetCurrentKeyModifiers() & optionKey) != 0; }

const PluginInfo* InfoOf(const PluginInstance* record) {
  return PluginInfoAt(static_cast<int32_t>(record->tableIndex));
}

bool MayReinit(const PluginInstance* record) {
  const PluginInfo* info = InfoOf(record);
  return info == nullptr || !(info->pluginFlags & kInfoFlagNoReinit);
}

bool IsOfflineRendering() { return gEngineStateWords[0] != 0 || gEngineStateWords[1] != 0; }

void SetOfflineRender(PluginInstance* record, uint32_t on) {
  AudioUnitSetProperty(record->unit, kAudioUnitProperty_OfflineRender, kAudioUnitScope_Global,
                       0, &on, sizeof(on));
}

uint32_t SumChannels(const uint8_t* channels, uint32_t buses) {
  uint32_t sum = 0;
  for (uint32_t i = 0; i < buses; ++i) sum += channels[i];
  return sum;
}

void NegotiateBuses(PluginInstance* record, bool* derived) {
  AudioUnit unit = record->unit;
  record->inputBuses = std::min<uint32_t>(CountBusElements(unit, kAudioUnitScope_Input), kMaxPluginBuses);
  record->outputBuses = std::min<uint32_t>(CountBusElements(unit, kAudioUnitScope_Output), kMaxPluginBuses);
  uint32_t ins = 0, outs = 0;
  NegotiateAudioUnitFormats(unit, &ins, &outs, record->outputBuses, record->outputBusChannels,
                            &record->formatBits, record->inputBuses, record->inputBusChannels);
  record->outputChannels = outs;
  if (outs > kMaxBusChannels) {
    TrimOutputBuses(record, kMaxBusChannels);
    record->outputChannels = SumChannels(record->outputBusChannels, record->outputBuses);
  }
  record->outputChannels = std::min(record->outputChannels, kMaxBusChannels);
  record->inputChannels = std::min(ins, kMaxBusChannels);
  *derived = record->outputBuses > 1;
  if (*derived) DeriveOutputLayout(record);
}

bool IsWritable(AudioUnit unit, AudioUnitPropertyID id, uint32_t* size = nullptr) {
  uint32_t bytes = 0;
  Boolean writable = false;
  if (AudioUnitGetPropertyInfo(unit, id, kAudioUnitScope_Global, 0, &bytes, &writable) != noErr)
    return false;
  if (size != nullptr) *size = bytes;
  return writable;
}

bool HasProperty(AudioUnit unit, AudioUnitPropertyID id) {
  uint32_t bytes = 0;
  Boolean writable = false;
  return AudioUnitGetPropertyInfo(unit, id, kAudioUnitScope_Global, 0, &bytes, &writable) == noErr &&
         bytes > 0;
}

void GiveHostCallbacks(PluginInstance* record) {
  uint32_t size = 0;
  if (!IsWritable(record->unit, kAudioUnitProperty_HostCallbacks, &size) || size == 0) return;
  HostCallbackInfo info;
  FillHostCallbackInfo(record, &info);
  if (size < sizeof(void*) * 3) info.transportStateProc = nullptr;
  if (size < sizeof(void*) * 2) info.musicalTimeLocationProc = nullptr;
  AudioUnitSetProperty(record->unit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global,
                       0, &info, std::min<uint32_t>(size, sizeof(info)));
}

bool MakeTables(PluginInstance* record, uint32_t n) {
  record->parameterMinimum = new (std::nothrow) float[n == 0 ? 1 : n]();
  record->parameterMaximum = new (std::nothrow) float[n == 0 ? 1 : n]();
  record->parameterUnit = new (std::nothrow) uint32_t[n == 0 ? 1 : n]();
  return record->parameterMinimum && record->parameterMaximum && record->parameterUnit;
}

// The readable or writable parameters, their ranges and units.
void ReadParameters(PluginInstance* record) {
  uint32_t size = 0;
  Boolean writable = false;
  if (AudioUnitGetPropertyInfo(record->unit, kAudioUnitProperty_ParameterList,
                               kAudioUnitScope_Global, 0, &size, &writable) != noErr)
    return;
  uint32_t count = std::min<uint32_t>(size / sizeof(AudioUnitParameterID), kMaxPluginParameters);
  auto* ids = new (std::nothrow) AudioUnitParameterID[count == 0 ? 1 : count]();
  if (ids == nullptr) return;
  size = count * sizeof(AudioUnitParameterID);
  if (count > 0 && AudioUnitGetProperty(record->unit, kAudioUnitProperty_ParameterList,
                                        kAudioUnitScope_Global, 0, ids, &size) != noErr)
    count = 0;
  count = std::min<uint32_t>(count, size / sizeof(AudioUnitParameterID));
  if (!MakeTables(record, count)) {
    delete[] ids;
    return;
  }
  uint32_t kept = 0;
  for (uint32_t i = 0; i < count; ++i) {
    AudioUnitParameterInfo info{};
    uint32_t bytes = sizeof(info);
    if (AudioUnitGetProperty(record->unit, kAudioUnitProperty_ParameterInfo,
                             kAudioUnitScope_Global, ids[i], &info, &bytes) != noErr)
      continue;
    ReleaseParameterInfoName(&info);
    bool readable = info.flags & kAudioUnitParameterFlag_IsReadable;
    bool canWrite = info.flags & kAudioUnitParameterFlag_IsWritable;
    if (!readable && !canWrite) continue;
    if (readable && !canWrite && (info.flags & kAudioUnitParameterFlag_MeterReadOnly))
      record->stateFlags |= kPluginStateMeterParams;
    ids[kept] = ids[i];
    record->parameterMinimum[kept] = info.minValue;
    record->parameterMaximum[kept] = info.maxValue;
    record->parameterUnit[kept] = info.unit;
    ++kept;
  }
  record->parameterIds = ids;
  record->parameterCount = kept;
}

void AddListeners(PluginInstance* record, const PluginInfo* info) {
  AudioUnit unit = record->unit;
  bool cocoa = false, carbon = false;
  if (!IsOptionKeyHeld()) {
    cocoa = HasProperty(unit, kAudioUnitProperty_CocoaUI);
    carbon = HasProperty(unit, kAudioUnitProperty_GetUIComponentList);
    bool carbonFirst = info->pluginFlags & kInfoFlagCarbonFirst;
    if (cocoa && !carbonFirst) carbon = false;
    if (cocoa && !carbon && !carbonFirst) record->stateFlags |= kPluginStateCocoaView;
  }
  if (cocoa || carbon || !(info->pluginFlags & kInfoFlagNoViewsNeeded)) {
    AUEventListenerRef events = 0;
    if (AUEventListenerCreate(HandleAudioUnitEvent, record, kListenerInterval, kListenerInterval,
                              &events) == noErr) {
      record->eventListener = events;
      for (uint32_t i = 0; i < record->parameterCount; ++i) {
        for (uint32_t type : {kAudioUnitEvent_BeginParameterChangeGesture,
                              kAudioUnitEvent_EndParameterChangeGesture}) {
          AudioUnitEvent event{};
          event.mEventType = type;
          event.mArgument.mParameter = {unit, record->parameterIds[i], kAudioUnitScope_Global, 0};
          AUEventListenerAddEventType(events, record, &event);
        }
      }
    }
    record->stateFlags = uint16_t((record->stateFlags & ~kPluginStateMeterParams) | kPluginStateHasEditor);
    AUParameterListenerRef values = 0;
    if (AUListenerCreate(HandleAudioUnitParameterChange, record, kListenerInterval, &values) == noErr) {
      record->parameterListener = values;
      for (uint32_t i = 0; i < record->parameterCount; ++i) {
        AudioUnitParameter p{unit, record->parameterIds[i], kAudioUnitScope_Global, 0};
        AUListenerAddParameter(values, record, &p);
      }
    }
  }
  AudioUnitAddPropertyListener(unit, kAudioUnitProperty_PresentPreset, HandleAudioUnitPropertyChange, record);
  AudioUnitAddPropertyListener(unit, kAudioUnitProperty_FactoryPresets, HandleAudioUnitPropertyChange, record);
}

void ReadMusicDevice(PluginInstance* record) {
  if (!record->receivesMidi) return;
  if (IsWritable(record->unit, kMusicDeviceProperty_SoundBankFSSpec))
    record->stateFlags |= kPluginStateBankFSSpec;
  else if (IsWritable(record->unit, kMusicDeviceProperty_SoundBankFSRef))
    record->moreFlags |= kPluginMoreBankFSRef;
}

void* FastDispatch(AudioUnit unit, uint32_t selector) {
  void* procedure = nullptr;
  uint32_t size = sizeof(procedure);
  if (AudioUnitGetProperty(unit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, selector, &procedure,
                           &size) != noErr)
    return nullptr;
  return procedure;
}

// The render (or render-slice) and MIDI procedures that skip the component dispatch, and the
// storage they take.
void FetchFastDispatch(PluginInstance* record) {
  AudioUnit unit = record->unit;
  if (record->receivesMidi)
    record->midiProc = reinterpret_cast<MusicDeviceMIDIEventProc>(FastDispatch(unit, kMusicDeviceMIDIEventSelect));
  uint32_t render = record->description.componentFlags == kRenderGenerationTwo ? kAudioUnitRenderSelect
                                                                                : kAudioUnitRenderSliceSelect;
  record->renderProc = reinterpret_cast<AudioUnitRenderProc>(FastDispatch(unit, render));
  record->dispatchStorage = GetComponentInstanceStorage(unit);
  if (record->dispatchStorage == nullptr) {
    record->renderProc = nullptr;
    record->midiProc = nullptr;
  }
}

OSErr FindAndOpen(PluginInstance* record, const PluginInfo* info) {
  ComponentDescription wanted;
  wanted.componentType = info->componentType;
  wanted.componentSubType = info->componentSubType;
  wanted.componentManufacturer = info->componentManufacturer;
  Component component = FindNextComponent(0, &wanted);
  AudioUnit unit = component != 0 ? OpenComponent(component) : 0;
  if (unit == 0) return kAudioUnitNotFoundErr;
  record->unit = unit;
  record->description = wanted;
  uint8_t kind = info->kind == kPluginKindAuConverter ? kPluginKindAuEffect : info->kind;
  if (info->kind == kPluginKindAuV1Music || info->kind == kPluginKindAuMusic ||
      info->kind == kPluginKindAuMusicEffect)
    record->receivesMidi = 1;
  if (kind > kPluginKindAuV1Music) record->description.componentFlags = kRenderGenerationTwo;
  if (info->uniqueId == kSpeechSynthId && info->kind == kPluginKindAuGenerator)
    record->stateFlags |= kPluginStateSpeech;
  return noErr;
}

// The cached presets: a handle of kPresetEntry-byte entries.
int32_t CountCachedPresets(const PluginInstance* record) {
  Handle cache = record->factoryPresets;
  return cache && IsValidHandle(cache) ? int32_t(GetHandleSize(cache) / kPresetEntry) : 0;
}

uint8_t* CachedPreset(const PluginInstance* record, int32_t n) {
  return reinterpret_cast<uint8_t*>(HandleData(record->factoryPresets)) + n * kPresetEntry;
}

void DisposePresetCache(PluginInstance* record) {
  if (record->factoryPresets && IsValidHandle(record->factoryPresets))
    DisposeHandle(record->factoryPresets);
  record->factoryPresets = Handle();
}

}  // namespace

OSErr OpenComponentRecord(PluginInstance* record, PluginInfo* info, uint32_t maxFrames,
                          double sampleRate, bool* derived) {
  OSErr err = FindAndOpen(record, info);
  if (err != noErr) return err;
  NegotiateBuses(record, derived);
  SetPluginSampleRate(record, sampleRate);
  SetPluginMaxFrames(record, maxFrames);
  OSStatus status = AudioUnitInitialize(record->unit);
  if (status != noErr) {
    CloseComponent(record->unit);
    record->unit = 0;
    return OSErr(status);
  }
  record->stateFlags |= kPluginStateInitialised;
  record->latency = ReadComponentLatency(record);
  ReadMusicDevice(record);
  FetchFastDispatch(record);
  GiveHostCallbacks(record);
  ReadParameters(record);
  AddListeners(record, info);
  RefreshFactoryPresets(record);
  return noErr;
}

void CloseComponentRecord(PluginInstance* record) {
  DisposePresetCache(record);
  if (record->parameterListener) AUListenerDispose(record->parameterListener);
  if (record->eventListener) AUEventListenerDispose(record->eventListener);
  record->parameterListener = record->eventListener = 0;
  record->renderProc = nullptr;
  record->midiProc = nullptr;
  record->dispatchStorage = nullptr;
  AudioUnitUninitialize(record->unit);
  CloseComponent(record->unit);
  delete[] record->parameterIds;
  record->parameterIds = nullptr;
  record->unit = 0;
  record->stateFlags &= uint16_t(~kPluginStateInitialised);
}

OSStatus SetComponentSampleRate(PluginInstance* record, double rate) {
  bool reinit = (record->stateFlags & kPluginStateInitialised) && MayReinit(record);
  if (reinit) AudioUnitUninitialize(record->unit);
  OSStatus status = noErr;
  for (AudioUnitScope scope : {kAudioUnitScope_Input, kAudioUnitScope_Output}) {
    uint32_t buses = scope == kAudioUnitScope_Input ? record->inputBuses : record->outputBuses;
    for (uint32_t bus = 0; bus < buses && status == noErr; ++bus)
      status = AudioUnitSetProperty(record->unit, kAudioUnitProperty_SampleRate, scope, bus,
                                    &rate, sizeof(rate));
  }
  if (status != noErr) ReportError(status);
  if (reinit && AudioUnitInitialize(record->unit) != noErr)
    record->stateFlags &= uint16_t(~kPluginStateInitialised);
  return status;
}

uint32_t ReadComponentLatency(const PluginInstance* record) {
  Float64 seconds = 0.0;
  uint32_t size = sizeof(seconds);
  if (AudioUnitGetProperty(record->unit, kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0,
                           &seconds, &size) != noErr || !std::isfinite(seconds) || seconds <= 0.0)
    return 0;
  double samples = seconds < kLatencySecondsLimit ? seconds * record->sampleRate : seconds;
  return static_cast<uint32_t>(std::min(samples, 2147483647.0));
}

OSStatus SetAudioUnitPropertySafely(PluginInstance* record, AudioUnitPropertyID id,
                                    AudioUnitScope scope, AudioUnitElement element,
                                    const void* data, uint32_t size) {
  if (record == nullptr || InfoOf(record) == nullptr) return paramErr;
  uint8_t idle = TakeIdleFlag();
  bool reinit = (record->stateFlags & kPluginStateInitialised) && MayReinit(record);
  if (reinit) AudioUnitUninitialize(record->unit);
  OSStatus status = AudioUnitSetProperty(record->unit, id, scope, element, data, size);
  if (reinit && AudioUnitInitialize(record->unit) != noErr)
    record->stateFlags &= uint16_t(~kPluginStateInitialised);
  SetIdleFlag(idle);
  return status;
}

OSStatus SetComponentMaxFrames(PluginInstance* record, uint32_t frames) {
  uint32_t current = 0, size = sizeof(current);
  AudioUnitGetProperty(record->unit, kAudioUnitProperty_MaximumFramesPerSlice,
                       kAudioUnitScope_Global, 0, &current, &size);
  if (current == frames || (!MayReinit(record) && frames < current)) return noErr;
  return SetAudioUnitPropertySafely(record, kAudioUnitProperty_MaximumFramesPerSlice,
                                    kAudioUnitScope_Global, 0, &frames, sizeof(frames));
}

void ResumeComponent(PluginInstance* record, int32_t installInput) {
  uint16_t once = kPluginStateReset | kPluginStateResetOnce;
  if ((record->stateFlags & once) != once) {
    record->stateFlags |= kPluginStateReset;
    AudioUnitReset(record->unit, kAudioUnitScope_Global, 0);
  }
  record->sampleTime = 0.0;
  if (installInput) InstallInputCallbacks(record, true);
  SetOfflineRender(record, IsOfflineRendering() ? 1 : 0);
}

void SuspendComponent(PluginInstance* record) {
  if (record->inputChannels > 0) InstallInputCallbacks(record, false);
  if (IsOfflineRendering()) SetOfflineRender(record, 0);
}

void SoundBankImageToFile(const uint8_t* bank, FSSpec* file) {
  *file = FSSpec();
  file->vRefNum = ReadI16BE(bank);
  file->parID = ReadI32BE(bank + 2);
  uint8_t length = std::min<uint8_t>(bank[kFSSpecNameOffset], 63);
  file->name[0] = length;
  std::memcpy(file->name + 1, bank + kFSSpecNameOffset + 1, length);
}

void FileToSoundBankImage(const FSSpec* file, uint8_t* bank) {
  std::memset(bank, 0, kSoundBankSpecBytes);
  WriteI16BE(bank, file->vRefNum);
  WriteI32BE(bank + 2, file->parID);
  uint8_t length = std::min<uint8_t>(file->name[0], 63);
  bank[kFSSpecNameOffset] = length;
  std::memcpy(bank + kFSSpecNameOffset + 1, file->name + 1, length);
}

OSStatus AccessSoundBank(PluginInstance* record, int32_t mode, void* data) {
  if (record == nullptr || data == nullptr) return paramErr;
  auto* bytes = static_cast<uint8_t*>(data);
  if (mode == 1) {
    std::memcpy(bytes, record->soundBank, kSoundBankSpecBytes);
    return noErr;
  }
  if (mode == 3) {
    *static_cast<uint16_t*>(data) = static_cast<uint16_t>(gRenderQualityIndex);
    return noErr;
  }
  if (mode == 2) {
    uint16_t index = *static_cast<const uint16_t*>(data);
    if (index >= kRenderQualitySteps) return noErr;
    uint32_t quality = kRenderQualities[index];
    gRenderQualityIndex = int16_t(index);
    return record->unit ? AudioUnitSetProperty(record->unit, kAudioUnitProperty_RenderQuality,
                                               kAudioUnitScope_Global, 0, &quality, sizeof(quality))
                        : OSStatus(noErr);
  }
  if (mode != 0) return paramErr;
  std::memcpy(record->soundBank, bytes, kSoundBankSpecBytes);
  if (record->unit == 0) return noErr;
  StopIfPlaying(false);
  OSStatus status;
  if (record->moreFlags & kPluginMoreBankFSRef) {
    FSSpec location;
    SoundBankImageToFile(record->soundBank, &location);
    FSRef ref{};
    status = FSpMakeFSRef(&location, &ref);
    if (status == noErr)
      status = AudioUnitSetProperty(record->unit, kMusicDeviceProperty_SoundBankFSRef,
                                    kAudioUnitScope_Global, 0, &ref, sizeof(ref));
  } else {
    status = AudioUnitSetProperty(record->unit, kMusicDeviceProperty_SoundBankFSSpec,
                                  kAudioUnitScope_Global, 0, record->soundBank, kSoundBankSpecBytes);
  }
  if (status != noErr) record->soundBank[kFSSpecNameOffset] = 0;
  return status;
}

OSStatus GetAUParameterInfo(PluginInstance* record, void* info, int32_t index) {
  if (record == nullptr || record->unit == 0 || record->parameterIds == nullptr)
    return kAudioUnitErr_Uninitialized;
  if (index < 0 || static_cast<uint32_t>(index) >= record->parameterCount) return paramErr;
  auto* area = static_cast<uint8_t*>(info);
  std::memset(area, 0, kAUParameterInfoBytes);
  AudioUnitParameterID id = record->parameterIds[index];
  uint32_t size = sizeof(AudioUnitParameterInfo);
  OSStatus status = AudioUnitGetProperty(record->unit, kAudioUnitProperty_ParameterInfo,
                                         kAudioUnitScope_Global, id, area, &size);
  uint32_t unit = record->unit;
  std::memcpy(area + sizeof(AudioUnitParameterInfo), &unit, sizeof(unit));
  std::memcpy(area + sizeof(AudioUnitParameterInfo) + sizeof(unit), &id, sizeof(id));
  return status;
}

// The whole name, when the information carries one of its own (the unit's names are plain
// text, so nothing else is owned).
void ReleaseAUParameterInfo(void* info) {
  if (info == nullptr) return;
  auto* p = static_cast<AudioUnitParameterInfo*>(info);
  ReleaseParameterInfoName(p);
  p->unitName = 0;
}

OSStatus GetFactoryPreset(PluginInstance* record, int32_t index, int32_t* number,
                          StringPtr name) {
  *number = -1;
  if (name != nullptr) name[0] = 0;
  if (record == nullptr || !record->factoryPresets) return noErr;
  if (index < 0 || index >= CountCachedPresets(record)) return paramErr;
  const uint8_t* entry = CachedPreset(record, index);
  int32_t n;
  std::memcpy(&n, entry, sizeof(n));
  if (n < 0 || static_cast<uint32_t>(n) > record->programCount) return paramErr;
  *number = n;
  if (name != nullptr) std::memcpy(name, entry + sizeof(n), kPresetNameBytes);
  return noErr;
}

void RefreshFactoryPresets(PluginInstance* record) {
  if (record == nullptr || record->unit == 0) return;
  DisposePresetCache(record);
  CFArrayRef presets = nullptr;
  uint32_t size = sizeof(presets);
  if (AudioUnitGetProperty(record->unit, kAudioUnitProperty_FactoryPresets,
                           kAudioUnitScope_Global, 0, &presets, &size) != noErr || !presets) {
    record->programCount = 0;
    record->currentPresetNumber = -1;
    return;
  }
  int32_t count = int32_t(std::min<CFIndex>(CFArrayGetCount(presets), kMaxPluginPrograms));
  Handle cache = NewHandleClear(Size(count) * kPresetEntry);
  bool current = false;
  for (int32_t i = 0; cache && i < count; ++i) {
    auto* preset = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, i));
    uint8_t* entry = reinterpret_cast<uint8_t*>(HandleData(cache)) + i * kPresetEntry;
    int32_t n = preset ? preset->presetNumber : -1;
    std::memcpy(entry, &n, sizeof(n));
    if (preset && preset->presetName)
      CFStringGetPascalString(preset->presetName, entry + sizeof(n), kPresetNameBytes,
                              kCFStringEncodingUTF8);
    current = current || n == record->currentPresetNumber;
  }
  CFRelease(presets);
  record->factoryPresets = cache;
  record->programCount = cache ? uint32_t(count) : 0;
  if (!current) {
    record->currentPresetNumber = -1;
    record->currentPresetName[0] = 0;
  }
}
