#include "plugins/host/plugin_instances.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "audio/engine/engine_run_state.h"
#include "platform/events/classic_events.h"
#include "platform/events/key_codes.h"
#include "platform/vst/vst_loader.h"
#include "plugins/host/audio_unit_instances.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/vst_dispatch.h"
#include "plugins/host/vst_host_callback.h"
#include "plugins/library/plugin_list_state.h"
#include "plugins/library/plugin_table.h"
#include "shell/base/error_report.h"

int16_t gRenderQualityIndex = 0;

namespace {

// Information bits given to the plug-in's table entry by an open.
enum : uint8_t {
  kInfoHasEditor = 0x02,
  kInfoUsable = 0x04,
  kInfoVu = 0x08,
  kInfoClip = 0x10,
  kInfoMidiIn = 0x20,
  kInfoAudioUnit = 0x40,
  kInfoMidiOut = 0x80,
};

// PluginInfo::pluginFlags bits the open reads or sets.
enum : uint32_t {
  kInfoFlagReplacing = 0x10,
  kInfoFlagNewVst = 0x110,
  kInfoFlagAltTempo = 0x200,
  kInfoFlagNewVstReplacing = 0x4000,
  kInfoFlagResetOnce = 0x8000,
};

constexpr VstIntPtr kNewVstVersion = 2300;

bool IsOptionKeyHeld() { return (GetCurrentKeyModifiers() & optionKey) != 0; }

bool IsInstrumentKind(uint8_t kind) {
  return kind == kPluginKindAuV1Music || kind == kPluginKindAuMusic ||
         kind == kPluginKindAuMusicEffect || kind == kPluginKindAuGenerator;
}

// The effect the plug-in's entry point creates, unless the caller made one already. Entry
// points given as transition vectors cannot be called on this platform.
AEffect* CreateEffect(VstPluginMainProc entry, int32_t entryIsVector, AEffect* effect) {
  if (effect != nullptr) return effect;
  if (entry == nullptr || entryIsVector) return nullptr;
  return CallVstEntryPoint(entry, HandleAudioMasterCall);
}

// Counts that size the host's tables: at most 128 outputs (error 78) and 128 inputs.
OSErr CheckEffectCounts(const AEffect* effect) {
  if (effect == nullptr) return kPluginOpenFailedErr;
  if (effect->numOutputs > kMaxVstOutputs) return kTooManyOutputsErr;
  if (effect->numOutputs < 0 || effect->numInputs < 0 || effect->numInputs > kMaxVstOutputs)
    return kPluginOpenFailedErr;
  return noErr;
}

// A refused effect that the open created is closed again, so that the plug-in frees it.
void CloseRefusedEffect(AEffect* effect, AEffect* supplied) {
  if (effect == nullptr || effect == supplied || effect->dispatcher == nullptr) return;
  effect->dispatcher(effect, kEffClose, 0, 0, nullptr, 0.0f);
}

uint8_t FinishVstOpen(PluginInstance* record, PluginInfo* info) {
  AEffect* effect = record->effect;
  uint8_t bits = 0;
  if (effect->realQualities >= 0) bits |= kInfoUsable;
  if (IsOptionKeyHeld()) effect->flags &= ~kEffFlagsHasEditor;
  if (effect->flags & kEffFlagsHasEditor) record->stateFlags |= kPluginStateHasEditor;
  if (effect->flags & kEffFlagsProgramChunks) record->moreFlags |= kPluginMoreProgramChunks;
  if (effect->flags & kEffFlagsHasClip) bits |= kInfoClip;
  if (effect->flags & kEffFlagsHasVu) bits |= kInfoVu;
  if (info->version == 0 &&
      CallVstDispatcher(record, kEffGetVstVersion, 0, 0, nullptr, 0.0f) > kNewVstVersion) {
    info->pluginFlags |= kInfoFlagNewVst;
    if (info->pluginFlags & kInfoFlagNewVstReplacing) info->pluginFlags |= kInfoFlagReplacing;
  }
  if ((effect->flags & kEffFlagsIsSynth) || AskVstCanDo(record, "receiveVstMidiEvent") == 1) {
    bits |= kInfoMidiIn;
    record->receivesMidi = 1;
  }
  if (!(info->pluginFlags & kInfoFlagReplacing) || effect->processReplacing == nullptr)
    effect->flags &= ~kEffFlagsCanReplacing;
  if (AskVstCanDo(record, "sendVstMidiEvent") == 1) bits |= kInfoMidiOut;
  return bits;
}

// Steps 4 and 5 of an open that succeeded; the plug-in's four-character id.
uint32_t FinishOpen(PluginInstance* record, PluginInfo* info, uint32_t* chainHead,
                    uint8_t* bits) {
  if (gPendingNeedIdle & 1) record->stateFlags |= kPluginStateNeedsIdle;
  gPendingNeedIdle = 0;
  CallVstDispatcher(record, kEffOpen, 0, 0, nullptr, 0.0f);
  AppendToChain(chainHead, record);
  uint32_t id = info->uniqueId;
  if (record->effect != nullptr) {
    id = static_cast<uint32_t>(record->effect->uniqueID);
    *bits |= FinishVstOpen(record, info);
  }
  if (info->pluginFlags & kInfoFlagAltTempo) record->stateFlags |= kPluginStateAltTempo;
  if (info->pluginFlags & kInfoFlagResetOnce) record->stateFlags |= kPluginStateResetOnce;
  if (record->stateFlags & kPluginStateHasEditor) *bits |= kInfoHasEditor;
  return id;
}

void ReportOpenError(OSErr err, uint32_t reportOptions) {
  if (err == noErr || (reportOptions & kOpenQuietly)) return;
  if (err > 0) ReportAppErrorText(err);
  else ReportError(err);
}

void FreeRecord(PluginInstance* record) {
  DisposePluginInstance(record);
  FreePluginInstanceRecord(record);
}

// The three parameter tables of a VST plug-in: 0..1, no unit.
bool MakeVstParameterTables(PluginInstance* record) {
  uint32_t n = record->parameterCount;
  record->parameterMinimum = new (std::nothrow) float[n == 0 ? 1 : n]();
  record->parameterMaximum = new (std::nothrow) float[n == 0 ? 1 : n];
  record->parameterUnit = new (std::nothrow) uint32_t[n == 0 ? 1 : n]();
  if (!record->parameterMinimum || !record->parameterMaximum || !record->parameterUnit)
    return false;
  std::fill(record->parameterMaximum, record->parameterMaximum + n, 1.0f);
  return true;
}

uint32_t ClampCount(VstInt32 n, uint32_t most) {
  return n < 0 ? 0u : std::min(static_cast<uint32_t>(n), most);
}

OSErr FillVstRecord(PluginInstance* record, AEffect* effect) {
  record->inputChannels = ClampCount(effect->numInputs, kMaxPluginChannels);
  record->outputChannels = ClampCount(effect->numOutputs, kMaxPluginChannels);
  record->parameterCount = ClampCount(effect->numParams, kMaxPluginParameters);
  record->programCount = ClampCount(effect->numPrograms, kMaxPluginPrograms);
  record->latency = ClampCount(effect->initialDelay, 0x7FFFFFFF);
  return MakeVstParameterTables(record) ? noErr : kPluginOpenFailedErr;
}

}  // namespace

uint32_t OpenPluginInstance(VstPluginMainProc entry, uint32_t maxFrames, uint32_t* chainHead,
                            int32_t tableIndex, int32_t entryIsVector, PluginInfo* info,
                            uint32_t reportOptions, AEffect* effect, double sampleRate,
                            OSErr* error) {
  static PluginInfo noInfo;
  if (info == nullptr) info = &noInfo;
  gOpeningPlugin = kOpeningPluginPending;
  gPendingNeedIdle = 0;
  if (!(sampleRate > 0.0)) sampleRate = kDefaultOpenSampleRate;
  bool vst = entry != nullptr || effect != nullptr;
  uint8_t bits = IsInstrumentKind(info->kind) ? 0x64 : 0x44;
  uint32_t openFlags = 0;
  AEffect* made = nullptr;
  OSErr err = noErr;
  if (vst) {
    bits = 0;
    openFlags = kPluginOpenVst;
    made = CreateEffect(entry, entryIsVector, effect);
    err = CheckEffectCounts(made);
  }
  PluginInstance* record = nullptr;
  if (err == noErr) {
    record = NewPluginInstanceRecord();
    if (record == nullptr) err = kPluginOpenFailedErr;
    else gOpeningPlugin = record->id;
  }
  if (err == noErr)
    err = OpenAudioUnitInstance(record, made, tableIndex, maxFrames, openFlags, info, sampleRate);
  gOpeningPlugin = 0;
  uint32_t id = 0;
  if (err == noErr) {
    id = FinishOpen(record, info, chainHead, &bits);
  } else {
    if (record != nullptr) FreeRecord(record);
    CloseRefusedEffect(made, effect);
  }
  gOpeningPlugin = 0;
  info->entryFlags = uint8_t(bits | (info->entryFlags & kPluginEntrySelected));
  ReportOpenError(err, reportOptions);
  if (error != nullptr) *error = err;
  return id;
}

OSErr OpenAudioUnitInstance(PluginInstance* record, AEffect* effect, int32_t tableIndex,
                            uint32_t maxFrames, uint32_t openFlags, PluginInfo* info,
                            double sampleRate) {
  if (record == nullptr || info == nullptr) return paramErr;
  record->tableIndex = static_cast<uint32_t>(tableIndex);
  record->effect = effect;
  record->openFlags = openFlags;
  record->programWord = -1;
  record->midiKindMask = -1;
  record->midiChannelMask = 0xFFFF;
  std::memset(record->controllerMask, 0xFF, sizeof(record->controllerMask));
  record->inputScale = 1.0f / 32768.0f;
  record->outputScale = 32768.0f;
  record->next = 0;
  record->outputCount = 0;
  bool derived = false;
  OSErr err = effect != nullptr ? FillVstRecord(record, effect)
                                : OpenComponentRecord(record, info, maxFrames, sampleRate, &derived);
  if (err != noErr) return err;
  if (!derived) {
    record->stereoOutputs = record->outputChannels > 1 ? 1u : 0u;
    record->outputCount = 1;
  }
  SetPluginSampleRate(record, sampleRate);
  SetPluginMaxFrames(record, maxFrames);
  return noErr;
}

void DisposePluginInstance(PluginInstance* record) {
  if (record == nullptr) return;
  if (record->unit != 0) CloseComponentRecord(record);
  delete[] record->parameterMinimum;
  delete[] record->parameterMaximum;
  delete[] record->parameterUnit;
  record->parameterMinimum = record->parameterMaximum = nullptr;
  record->parameterUnit = nullptr;
}

OSStatus SetPluginSampleRate(PluginInstance* record, double rate) {
  if (record == nullptr) return paramErr;
  OSStatus result = noErr;
  if (rate > 0.0 && static_cast<float>(rate) != record->sampleRate) {
    record->sampleRate = static_cast<float>(rate);
    CallVstDispatcher(record, kEffSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    if (record->unit != 0) result = SetComponentSampleRate(record, rate);
  }
  if (record->effect != nullptr) record->latency = ClampCount(record->effect->initialDelay, 0x7FFFFFFF);
  else if (record->unit != 0) record->latency = ReadComponentLatency(record);
  return result;
}

OSStatus SetPluginMaxFrames(PluginInstance* record, uint32_t frames) {
  if (record == nullptr) return paramErr;
  record->maxFrames = frames;
  CallVstDispatcher(record, kEffSetBlockSize, 0, static_cast<VstIntPtr>(frames), nullptr, 0.0f);
  return record->unit != 0 ? SetComponentMaxFrames(record, frames) : OSStatus(noErr);
}

void ResumePlugin(PluginInstance* record, int32_t installInput) {
  if (record == nullptr) return;
  CallVstDispatcher(record, kEffMainsChanged, 0, 1, nullptr, 0.0f);
  if (record->unit != 0) ResumeComponent(record, installInput);
}

void SuspendPlugin(PluginInstance* record) {
  if (record == nullptr) return;
  CallVstDispatcher(record, kEffMainsChanged, 0, 0, nullptr, 0.0f);
  if (record->unit != 0) SuspendComponent(record);
}

void GetPluginChannelCounts(const PluginInstance* record, int32_t* inputs, int32_t* outputs) {
  *inputs = record ? static_cast<int32_t>(record->inputChannels) : 0;
  *outputs = record ? static_cast<int32_t>(record->outputChannels) : 0;
}

void GetPluginProgramCounts(const PluginInstance* record, int32_t* programs,
                            int32_t* parameters) {
  *programs = record ? static_cast<int32_t>(record->programCount) : 0;
  *parameters = record ? static_cast<int32_t>(record->parameterCount) : 0;
}

int32_t AccessPluginFormat(PluginInstance* record, int32_t set, uint32_t* first,
                           uint32_t* second, uint32_t* third) {
  if (record == nullptr) return 0;
  if (set) {
    int32_t changed = record->formatWords[1] != *second ? 1 : 0;
    record->formatWords[0] = *first;
    record->formatWords[1] = *second;
    record->formatWords[2] = *third;
    MarkPluginListChanged();
    return changed;
  }
  *first = record->formatWords[0];
  *second = record->formatWords[1];
  *third = record->formatWords[2];
  if (record->secondCount == record->useCount) {
    *first = kHeldFormatKind;
    *second = record->formatWords[0] & 0xFF;
  }
  return 0;
}

void AppendToChain(uint32_t* chainHead, PluginInstance* record) {
  if (chainHead == nullptr || record == nullptr) return;
  record->next = 0;
  PluginInstance* last = GetPluginInstance(*chainHead);
  if (last == nullptr) {
    *chainHead = record->id;
  } else {
    for (int32_t guard = 0; last->next != 0 && guard < kMaxChainLength; ++guard) {
      PluginInstance* next = GetPluginInstance(last->next);
      if (next == nullptr) break;
      last = next;
    }
    last->next = record->id;
  }
  ++record->useCount;
}

void AddPluginUse(PluginInstance* record, int32_t n) {
  if (record != nullptr) record->useCount += n;
}

void SetInstanceDevice(PluginInstance* record, int32_t registerFlag, uint8_t deviceId) {
  if (record != nullptr) record->deviceId = deviceId;
  if (registerFlag) LinkDeviceInstance(deviceId, record ? record->id : 0);
}

void* MakeCfmGlue(void*) { return nullptr; }
void* MakeTransitionVector(void*) { return nullptr; }
void DisposeCfmGlue(void*) {}
