#include "plugins/host/insert_chains.h"

#include <cstring>
#include <vector>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_play_state.h"
#include "audio/engine/engine_prepare.h"
#include "audio/engine/engine_run_state.h"
#include "audio/engine/engine_state.h"
#include "audio/render/channel_render.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/windows/windows.h"
#include "plugins/host/audio_unit_callbacks.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "plugins/host/plugin_preset_lists.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/host/plugin_settings.h"
#include "plugins/host/vst_dispatch.h"
#include "plugins/library/plugin_loading.h"
#include "plugins/library/plugin_table.h"
#include "shell/base/idle_flag.h"

namespace {

constexpr uint8_t kChangeFlagBypassed = 0x10;
constexpr uint32_t kConverterType = FourCC("aufc");
// Bytes of the PluginSettings image past its named fields that keep the bypass state.
constexpr int32_t kSettingsBypass = 93;
constexpr int32_t kSettingsReceivesMidi = 94;
constexpr int32_t kPairMaskChannels = 16;
constexpr int32_t kUnityLevel = 32768;

PluginInstance* Next(const PluginInstance* record) { return GetPluginInstance(record->next); }

// The chain from head in order; a damaged chain that loops is cut at kMaxChainLength.
std::vector<PluginInstance*> ChainMembers(uint32_t head) {
  std::vector<PluginInstance*> members;
  for (PluginInstance* p = GetPluginInstance(head);
       p != nullptr && int32_t(members.size()) < kMaxChainLength; p = Next(p))
    members.push_back(p);
  return members;
}

bool HasAudioDriver(uint8_t device) {
  if (device == 0) return false;
  for (AudioDriverOps* d = gOutputDevices; d != nullptr; d = d->next)
    if (d->driverId == device) return true;
  return false;
}

bool IsConverter(const PluginInstance* p) {
  return p->unit != 0 && p->description.componentType == kConverterType;
}

// The instance whose next is the record, or null at the head of its chain.
PluginInstance* PreviousInChain(const PluginInstance* record) {
  for (uint32_t id = 1; id <= uint32_t(kPluginInstanceSlots); ++id) {
    PluginInstance* p = GetPluginInstance(id);
    if (p != nullptr && p != record && p->next == record->id) return p;
  }
  return nullptr;
}

// The first plug-in of the chain the record is linked into (the record itself when it leads).
PluginInstance* ChainHeadOf(PluginInstance* record) {
  for (int32_t i = 0; i < kMaxChainLength; ++i) {
    PluginInstance* previous = PreviousInChain(record);
    if (previous == nullptr) break;
    record = previous;
  }
  return record;
}

PluginInstance* FindConverterFrom(PluginInstance* record) {
  for (int32_t i = 0; record != nullptr && i < kMaxChainLength; ++i, record = Next(record))
    if (IsConverter(record)) return record;
  return nullptr;
}

uint8_t* SnapshotEntry(Handle snapshot, int32_t n) {
  return reinterpret_cast<uint8_t*>(HandleData(snapshot)) + kChainSnapshotHeader +
         kChainSnapshotEntry * n;
}

// Live MIDI the channel's chain has not taken yet.
bool HasUnreadLiveMidi(const EngineChannel* channel) {
  if (channel->renderState == nullptr || channel->renderState->midiState == nullptr) return false;
  const PluginMidiRing& ring = static_cast<PluginMidiState*>(channel->renderState->midiState)->liveRing;
  return ring.readIndex != ring.writeIndex.load(std::memory_order_acquire);
}

bool ChainRenders(EngineChannel* channel, const PluginInstance* record) {
  for (; channel != nullptr; channel = channel->next) {
    if (channel->renderState == nullptr) continue;
    auto* p = static_cast<PluginInstance*>(channel->renderState->chainHead);
    for (int32_t i = 0; p != nullptr && i < kMaxChainLength; ++i, p = Next(p))
      if (p == record) return true;
  }
  return false;
}

void CloseInstance(PluginInstance* record) {
  if (gAudioEnginePlayState != 0 &&
      (ChainRenders(gEngineChannels, record) || ChainRenders(gAuxBusChannels, record)))
    StopAudioEngine(0);
  ClearDeviceLinksTo(record->id);
  ForgetPluginInstance(record->id);
  DisposePluginPresetList(&record->programList);
  DisposePluginPresetList(&record->secondHandle);
  if (record->stateFlags & kPluginStateEditorOpen) {
    CallVstDispatcher(record, kEffEditClose, 0, 0, nullptr, 0.0f);
    record->stateFlags &= uint16_t(~kPluginStateEditorOpen);
  }
  if (record->editorWindow != nullptr && IsValidWindowPtr(record->editorWindow)) DisposeWindow(record->editorWindow);
  record->editorWindow = nullptr;
  CallVstDispatcher(record, kEffClose, 0, 0, nullptr, 0.0f);
  gOpeningPlugin = 0;
  bool counted = record->countsOpen != 0;
  int32_t entry = int32_t(record->tableIndex);
  DisposePluginInstance(record);
  FreePluginInstanceRecord(record);
  if (counted) ReleaseInstanceCode(entry);
}

}  // namespace

PluginInstance* GetChainPlugin(uint32_t head, int32_t n) {
  if (n < 0) return nullptr;
  PluginInstance* p = GetPluginInstance(head);
  for (int32_t i = 0; p != nullptr && i < n && i < kMaxChainLength; ++i) p = Next(p);
  return n < kMaxChainLength ? p : nullptr;
}

int32_t CountChainPlugins(uint32_t head) { return int32_t(ChainMembers(head).size()); }

void AssignChainIndices(uint32_t head, uint32_t enabledOutputs, Handle automationList) {
  int32_t position = 0;
  for (PluginInstance* p : ChainMembers(head)) {
    p->chainPosition = position++;
    p->enabledOutputs = enabledOutputs;
    p->automationList = automationList;
    if (p->unit != 0 && p->receivesMidi && !(p->openFlags & kPluginOpenMixerReverb)) {
      uint32_t on = 1;
      AudioUnitSetProperty(p->unit, kMusicDeviceProperty_UsesInternalReverb,
                           kAudioUnitScope_Global, 0, &on, sizeof(on));
    }
  }
}

void GetChainChannelCounts(uint32_t head, int32_t* firstIn, int32_t* firstOut,
                           int32_t* largestOut, int32_t* lastOut, int32_t* largestIn) {
  *firstIn = *firstOut = *largestOut = *lastOut = *largestIn = 0;
  std::vector<PluginInstance*> chain = ChainMembers(head);
  if (chain.empty()) return;
  *firstIn = int32_t(chain.front()->inputChannels);
  *firstOut = int32_t(chain.front()->outputChannels);
  *lastOut = int32_t(chain.back()->outputChannels);
  for (PluginInstance* p : chain) {
    if (int32_t(p->outputChannels) > *largestOut) *largestOut = int32_t(p->outputChannels);
    if (int32_t(p->inputChannels) > *largestIn) *largestIn = int32_t(p->inputChannels);
  }
}

OSErr GetPluginOutputBusInfo(const PluginInstance* record, int32_t output, uint8_t* device,
                             uint8_t* second, uint8_t* pair) {
  if (record == nullptr || output < 0 || output >= kMaxOutputBusBytes) return paramErr;
  uint8_t id = record->outputBusBytes[0][output];
  *device = HasAudioDriver(id) ? id : kBusNotConnected;
  *second = record->outputBusBytes[1][output];
  *pair = record->outputBusBytes[2][output];
  return noErr;
}

OSErr SetChainBusBytes(int32_t output, uint32_t head, uint8_t pair, uint8_t device,
                       uint8_t second) {
  if (output < 0 || output >= kMaxOutputBusBytes) return paramErr;
  for (PluginInstance* p : ChainMembers(head)) {
    p->outputBusBytes[0][output] = device;
    p->outputBusBytes[1][output] = second;
    p->outputBusBytes[2][output] = pair;
  }
  return noErr;
}

void GetPluginIOConfig(const PluginInstance* record, uint32_t* stereoOutputs,
                       uint8_t* outputCount) {
  *stereoOutputs = record ? record->stereoOutputs : 0;
  *outputCount = record ? record->outputCount : 0;
}

void SetPluginIOConfig(PluginInstance* record, uint32_t stereoOutputs, uint8_t outputCount) {
  if (record == nullptr) return;
  record->stereoOutputs = stereoOutputs;
  record->outputCount = outputCount;
}

void ForEachPluginOutput(PluginInstance* record, PluginOutputProc callback, void* context) {
  if (record == nullptr) record = GetPluginInstance(GetCurrentTrackChainHead());
  if (context != nullptr) std::memcpy(context, &record, sizeof(record));
  if (record == nullptr || callback == nullptr) return;
  for (int32_t i = 0; i < record->outputCount && i < kMaxOutputBusBytes; ++i)
    callback(context, i, record->outputBusBytes[0][i], record->outputBusBytes[1][i],
             record->outputBusBytes[2][i]);
}

uint8_t AccessPluginChannelMap(int32_t index, PluginInstance* record, int32_t set,
                               uint8_t* second, uint8_t value) {
  if (record == nullptr || index < 0 || index > kMaxChannelMapIndex) return 0;
  if (set) {
    record->channelMap[0][index] = value;
    if (second != nullptr) record->channelMap[1][index] = *second;
  }
  if (second != nullptr) *second = record->channelMap[1][index];
  return record->channelMap[0][index];
}

void AccessChainPluginTag(uint32_t head, int32_t n, uint32_t* value, int32_t set) {
  PluginInstance* p = GetChainPlugin(head, n);
  if (p == nullptr || value == nullptr) return;
  if (set) p->tag = *value;
  else *value = p->tag;
}

int32_t GetPluginTableIndex(const PluginInstance* record) {
  return record ? int32_t(record->tableIndex) : -1;
}

int32_t ChainReceivesMidi(uint32_t head) {
  for (PluginInstance* p : ChainMembers(head))
    if (p->receivesMidi) return 1;
  return 0;
}

PluginInstance* FindInstrumentInChain(uint32_t head) {
  for (PluginInstance* p : ChainMembers(head)) {
    const PluginInfo* info = PluginInfoAt(int32_t(p->tableIndex));
    if (info != nullptr && (info->entryFlags & kPluginEntryInstrument)) return p;
  }
  return nullptr;
}

bool IsInstrumentPlugin(const PluginInstance* record) {
  if (record == nullptr) return false;
  if (record->effect != nullptr) return (record->effect->flags & kEffFlagsIsSynth) != 0;
  return record->receivesMidi != 0;
}

bool PluginHasEditor(const PluginInstance* record) {
  return record && (record->stateFlags & kPluginStateHasEditor);
}

bool PluginHasChunks(const PluginInstance* record) {
  return record && (record->moreFlags & kPluginMoreProgramChunks);
}

int32_t IsConverterInChain(uint32_t head) {
  return FindConverterFrom(GetPluginInstance(head)) != nullptr ? 1 : 0;
}

int32_t GetPluginStateFlags(const PluginInstance* record) {
  if (record == nullptr || record->unit == 0) return 0;
  int32_t flags = 1;
  if (record->receivesMidi) flags |= 2;
  if ((record->stateFlags & kPluginStateBankFSSpec) || (record->moreFlags & kPluginMoreBankFSRef))
    flags |= 4;
  if (record->stateFlags & kPluginStateCocoaView) flags |= 8;
  return flags;
}

void GetPluginGains(const PluginInstance* record, float* inputScale, float* outputScale,
                    uint16_t* rackFormat) {
  if (record == nullptr) return;
  *inputScale = record->inputScale;
  *outputScale = record->outputScale;
  *rackFormat = record->rackFormatValue;
}

void SetPluginGains(PluginInstance* record, float inputScale, float outputScale,
                    uint16_t rackFormat, uint8_t changeFlags) {
  if (record == nullptr) return;
  record->inputScale = inputScale;
  record->outputScale = outputScale;
  record->rackFormatValue = rackFormat;
  record->changeFlags |= changeFlags;
}

uint32_t BusMaskForPairMask(const PluginInstance* record, uint32_t pairMask) {
  if (record == nullptr || record->outputBuses == 0) return 1;
  uint32_t mask = 0;
  uint32_t busStart = 0;
  for (uint32_t bus = 0; bus < record->outputBuses && bus < uint32_t(kMaxPluginBuses); ++bus) {
    uint32_t busEnd = busStart + record->outputBusChannels[bus];
    for (uint32_t c = busStart; c < busEnd && c < uint32_t(kPairMaskChannels); ++c)
      if (pairMask & (1u << (c / 2))) mask |= 1u << bus;
    busStart = busEnd;
  }
  return mask;
}

int32_t GetEngineOutputChannels(const PluginInstance* record) {
  if (record == nullptr || record->unit == 0) return 1;
  return int32_t(record->outputChannels);
}

uint8_t GetBypassState(const PluginInstance* record) { return record ? record->bypass : 0; }

void SaveBypassState(const PluginInstance* record, PluginSettings* settings) {
  if (record == nullptr || settings == nullptr) return;
  settings->bytes[kSettingsBypass] = record->bypass;
  settings->bytes[kSettingsReceivesMidi] = record->receivesMidi;
}

void RestoreBypassState(PluginInstance* record, const PluginSettings* settings,
                        int32_t withMidi) {
  if (record == nullptr || settings == nullptr) return;
  record->bypass = settings->bytes[kSettingsBypass];
  if (withMidi && record->effect != nullptr)
    record->receivesMidi = settings->bytes[kSettingsReceivesMidi];
}

void SetPluginBypass(PluginInstance* record, int32_t on, int32_t mode) {
  if (record == nullptr) return;
  uint8_t wanted = on ? 1 : 0;
  PluginInstance* converter = FindConverterFrom(ChainHeadOf(record));
  if (converter != nullptr) {
    uint32_t value = wanted;
    AudioUnitSetProperty(converter->unit, kAudioUnitProperty_BypassEffect,
                         kAudioUnitScope_Global, 0, &value, sizeof(value));
    ResumePlugin(record, record->inputChannels > 0);
  } else if (!wanted) {
    ResumePlugin(record, record->inputChannels > 0);
  } else {
    record->bypass = wanted;
    SuspendPlugin(record);
  }
  record->bypass = wanted;
  if (mode == 2) record->changeFlags |= kChangeFlagBypassed;
}

uint32_t SumChainLatency(uint32_t head, int32_t refresh, int32_t firstOnly) {
  uint32_t sum = 0;
  for (PluginInstance* p : ChainMembers(head)) {
    if (refresh) SetPluginSampleRate(p, p->sampleRate);
    sum += p->latency;
    if (firstOnly) break;
  }
  return sum;
}

void PrepareChainPlugins(uint32_t head) {
  ResetNextBeatCache();
  uint32_t frames = uint32_t(gAudioBufferFrames.load());
  // With a format converter in the chain a bypass is the converter's: every plug-in runs.
  bool converter = IsConverterInChain(head) != 0;
  for (PluginInstance* p : ChainMembers(head)) {
    if (p->maxFrames != frames) SetPluginMaxFrames(p, frames);
    SetPluginSampleRate(p, gEngineSampleRate);
    if (!p->bypass || converter) ResumePlugin(p, p->inputChannels > 0);
  }
}

void SuspendRackPlugins(EngineChannel* channel, uint32_t head) {
  if (channel != nullptr && head != 0 && HasUnreadLiveMidi(channel) && channel->renderBlock &&
      channel->framesPerBlock > 0)
    RenderEngineChannel(channel, channel->renderBlock, channel->renderBlock, channel->framesPerBlock,
                        kUnityLevel, 0);
  bool converter = IsConverterInChain(head) != 0;
  for (PluginInstance* p : ChainMembers(head))
    if (!p->bypass || converter) SuspendPlugin(p);
}

void AttachUnitRenderInput(PluginInstance* record, AURenderCallback procedure,
                           void* reference) {
  if (record == nullptr) return;
  if (procedure != nullptr) {
    PrepareChainPlugins(record->id);
    AssignChainIndices(record->id, 1, Handle());
  } else {
    SuspendRackPlugins(nullptr, record->id);
  }
  if (record->unit == 0) return;
  AURenderCallbackStruct input{procedure, reference};
  AudioUnitSetProperty(record->unit, kAudioUnitProperty_SetRenderCallback,
                       kAudioUnitScope_Input, 0, &input, sizeof(input));
}

OSErr MoveChainPlugin(uint32_t* head, int32_t newPosition, int32_t oldPosition) {
  std::vector<PluginInstance*> chain = ChainMembers(*head);
  int32_t n = int32_t(chain.size());
  if (oldPosition < 0 || oldPosition >= n || newPosition < 0) return paramErr;
  if (newPosition >= n) newPosition = n - 1;
  PluginInstance* moved = chain[size_t(oldPosition)];
  chain.erase(chain.begin() + oldPosition);
  chain.insert(chain.begin() + newPosition, moved);
  for (int32_t i = 0; i < n; ++i) chain[size_t(i)]->next = i + 1 < n ? chain[size_t(i + 1)]->id : 0;
  *head = chain.front()->id;
  for (int32_t i = 1; i < n; ++i)
    if (chain[size_t(i)]->inputChannels == 0) return kInstrumentNotFirstErr;
  return noErr;
}

Handle TakeChainSnapshot(uint32_t head) {
  std::vector<PluginInstance*> chain = ChainMembers(head);
  if (chain.empty()) return Handle();
  Handle snapshot = NewHandleClear(Size(kChainSnapshotHeader + kChainSnapshotEntry * chain.size()));
  if (!snapshot) return Handle();
  WriteU32BE(HandleData(snapshot), uint32_t(chain.size()));
  for (size_t i = 0; i < chain.size(); ++i) {
    uint8_t* entry = SnapshotEntry(snapshot, int32_t(i));
    WriteU32BE(entry, chain[i]->id);
    WriteU32BE(entry + 4, uint32_t(i));
    entry[12] = chain[i]->bypass;
    ++chain[i]->useCount;
    ++chain[i]->secondCount;
  }
  return snapshot;
}

int32_t CountChainSnapshot(Handle snapshot) {
  if (!snapshot || !IsValidHandle(snapshot) || GetHandleSize(snapshot) < kChainSnapshotHeader)
    return 0;
  uint32_t count = ReadU32BE(HandleData(snapshot));
  uint32_t fits = uint32_t((GetHandleSize(snapshot) - kChainSnapshotHeader) / kChainSnapshotEntry);
  return int32_t(count < fits ? count : fits);
}

PluginInstance* ChainSnapshotPlugin(Handle snapshot, int32_t n) {
  if (n < 0 || n >= CountChainSnapshot(snapshot)) return nullptr;
  return GetPluginInstance(ReadU32BE(SnapshotEntry(snapshot, n)));
}

void AddSnapshotUse(Handle snapshot, int32_t n) {
  for (int32_t i = 0, count = CountChainSnapshot(snapshot); i < count; ++i) {
    if (PluginInstance* p = ChainSnapshotPlugin(snapshot, i)) {
      p->useCount += n;
      p->secondCount += n;
    }
  }
}

uint32_t RelinkChainSnapshot(Handle snapshot) {
  std::vector<PluginInstance*> listed;
  std::vector<uint8_t> bypass;
  for (int32_t i = 0, count = CountChainSnapshot(snapshot); i < count; ++i) {
    if (PluginInstance* p = ChainSnapshotPlugin(snapshot, i)) {
      listed.push_back(p);
      bypass.push_back(SnapshotEntry(snapshot, i)[12]);
    }
  }
  for (size_t i = 0; i < listed.size(); ++i) {
    ++listed[i]->useCount;
    listed[i]->next = i + 1 < listed.size() ? listed[i + 1]->id : 0;
  }
  for (size_t i = 0; i < listed.size(); ++i) SetPluginBypass(listed[i], bypass[i], 2);
  return listed.empty() ? 0 : listed.front()->id;
}

void DisposeChainSnapshot(Handle snapshot, Handle) {
  if (!snapshot || !IsValidHandle(snapshot)) return;
  std::vector<PluginInstance*> listed;
  for (int32_t i = 0, count = CountChainSnapshot(snapshot); i < count; ++i)
    if (PluginInstance* p = ChainSnapshotPlugin(snapshot, i)) listed.push_back(p);
  for (PluginInstance* p : listed) {
    --p->secondCount;
    ReleasePluginInstance(p);
  }
  DisposeHandle(snapshot);
}

int32_t ReleasePluginInstance(PluginInstance* record) {
  if (record == nullptr) return 0;
  if (--record->useCount > 0) {
    // Only undo steps and removed inserts hold it now: its editor goes out of sight.
    if (record->useCount == record->secondCount && record->editorWindow != nullptr &&
        IsValidWindowPtr(record->editorWindow))
      HideWindow(record->editorWindow);
    RedrawPluginLists();
    return 0;
  }
  CloseInstance(record);
  RedrawPluginLists();
  return 1;
}

uint32_t RemoveChainPlugin(uint32_t head, int32_t* closed, int32_t n, int32_t keep) {
  if (closed != nullptr) *closed = 0;
  PluginInstance* target = GetChainPlugin(head, n);
  if (target == nullptr) return head;
  uint8_t idle = TakeIdleFlag();
  if (keep) {
    --target->secondCount;
  } else if (n == 0) {
    head = target->next;
  } else {
    GetChainPlugin(head, n - 1)->next = target->next;
  }
  if (!keep) target->next = 0;
  int32_t wasClosed = ReleasePluginInstance(target);
  if (closed != nullptr) *closed = wasClosed;
  SetIdleFlag(idle);
  return head;
}

void ReleaseChainPlugins(uint32_t head) {
  for (PluginInstance* p : ChainMembers(head)) ReleasePluginInstance(p);
}
