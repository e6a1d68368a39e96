#include "plugins/host/vst_host_callback.h"

#include <cstring>
#include <string_view>

#include "audio/engine/engine_channels.h"
#include "platform/vst/vst_records.h"
#include "platform/windows/windows.h"
#include "plugins/host/callback_beat_position.h"
#include "plugins/host/channel_song_time.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/plugin_editor_calls.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/plugin_midi_delivery.h"
#include "plugins/host/vst_dispatch.h"
#include "plugins/host/vst_time_info.h"
#include "plugins/library/plugin_table.h"
#include "plugins/host/insert_racks.h"
#include "platform/memory/byte_order.h"
#include "sequencer/clock/transport_clock.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/song_iterators.h"
#include "song/model/track_iterators.h"
#include "song/documents/document_file.h"

const char kHostVendorString[kHostVendorStringBytes] = "RuvokTechnology";
const char kHostProductString[kHostProductStringBytes] = "Zarin\xE2\x84\xA2";
const char* const kHostCanDo[kHostCanDoCount] = {
    "sendVstEvents",    "sendVstMidiEvent",    "sendVstTimeInfo", "receiveVstEvents",
    "receiveVstMidiEvent", "sizeWindow", "supplyIdle", "sendVstMidiEventFlagIsRealtime"};
uint32_t gUnansweredOpcodes[2] = {};
uint32_t gPendingNeedIdle = 0;
uint32_t gDeferredPluginIdle = 0;

namespace {

constexpr uint32_t kVendorSpecificRefresh = 0xDEADBEEF;
constexpr uint32_t kPluginInfoFixedWindow = 0x20;
constexpr int32_t kMaxInstanceIds = 4096;
constexpr uint32_t kDisplayDirtyGuard = kPluginStateNoRefresh;

thread_local EngineChannel* tRenderChannel = nullptr;
// The folder answered to audioMasterGetDirectory; each thread answers from its own.
thread_local char tPluginFolder[sizeof(PluginInfo::path)];

struct CallbackCall {
  AEffect* effect;
  VstInt32 index;
  VstIntPtr value;
  void* ptr;
  float opt;
};
using OpcodeHandler = VstIntPtr (*)(const CallbackCall& call);

PluginInstance* SearchInstanceTable(AEffect* effect) {
  int32_t left = CountPluginInstanceRecords();
  for (uint32_t id = 1; id <= uint32_t(kMaxInstanceIds) && left > 0; ++id) {
    PluginInstance* instance = GetPluginInstance(id);
    if (instance == nullptr) continue;
    --left;
    if (instance->effect == effect) return instance;
  }
  return nullptr;
}

void NoteUnanswered(VstInt32 opcode) {
  if (opcode >= 0 && opcode < 32) gUnansweredOpcodes[0] |= 1u << opcode;
  else if (opcode >= 32 && opcode < 64) gUnansweredOpcodes[1] |= 1u << (opcode - 32);
}

VstIntPtr Automate(const CallbackCall&) { return 1; }
VstIntPtr Version(const CallbackCall&) { return kVstVersion; }

// The idle work is never run inside the plug-in's own call: the idle pass runs it later.
VstIntPtr Idle(const CallbackCall&) {
  if (tRenderChannel == nullptr) gDeferredPluginIdle = 1;
  return 1;
}

// The output bus that holds a pin; -1 beyond the last output.
int32_t BusOfPin(const PluginInstance* instance, int32_t pin) {
  for (int32_t bus = 0; bus < instance->outputCount; ++bus) {
    int32_t pins = (instance->stereoOutputs >> bus) & 1 ? 2 : 1;
    if (pin < pins) return bus;
    pin -= pins;
  }
  return -1;
}

VstIntPtr PinConnected(const CallbackCall& call) {
  PluginInstance* instance = FindInstanceForEffect(call.effect);
  if (instance == nullptr || instance->outputCount == 0 || call.index < 0) return 0;
  int32_t bus = BusOfPin(instance, call.index);
  if (bus < 0) return 0;
  uint8_t device = 0, second = 0, pair = 0;
  if (GetPluginOutputBusInfo(instance, bus, &device, &second, &pair) != noErr) return 0;
  return device == kBusNotConnected ? 1 : 0;
}

VstIntPtr WantMidi(const CallbackCall& call) {
  if (PluginInstance* instance = FindInstanceForEffect(call.effect)) instance->receivesMidi = 1;
  return 1;
}

VstIntPtr GetTime(const CallbackCall& call) {
  return reinterpret_cast<VstIntPtr>(FillVstTimeInfo(VstInt32(call.value), call.effect));
}

// The song tick a plug-in's event falls on (inside the block being rendered, else tick 1), and
// the ticks a sample lasts there (0 outside rendering).
double EventTick(PluginInstance* instance, VstInt32 deltaFrames, double* ticksPerSample) {
  double tick = 1.0;
  *ticksPerSample = 0.0;
  EngineChannel* channel = tRenderChannel;
  if (channel != nullptr && channel->sampleRate > 0.0f && gTransportClock.secondsPerTick > 0.0) {
    *ticksPerSample = 1.0 / double(channel->sampleRate) / gTransportClock.secondsPerTick;
    tick = GetCallbackBeatPosition(instance, channel, channel->position) + deltaFrames * *ticksPerSample;
  }
  return tick;
}

// A note with a length also gets its note-off, on the note's own channel where its length
// ends.
void SendPluginEvent(PluginInstance* instance, const VstMidiEvent* event) {
  uint8_t status = uint8_t(event->midiData[0]);
  uint8_t kind = status & 0xF0;
  uint8_t data1 = uint8_t(event->midiData[1]);
  int32_t third = (kind == 0xD0 || kind == 0xC0) ? 0xFF : int32_t(event->midiData[2]);
  double ticksPerSample = 0.0;
  double tick = EventTick(instance, event->deltaFrames, &ticksPerSample);
  SendPluginMidiOutput(status, data1, third, int32_t(tick + 0.5), instance->outputRouting);
  uint8_t noteOff[3];
  double offTick = tick;
  if (PlanPluginOutputNoteOff(event, tick, ticksPerSample, noteOff, &offTick))
    SendPluginMidiOutput(noteOff[0], noteOff[1], noteOff[2], int32_t(offTick + 0.5), instance->outputRouting);
}

// The events go out whatever the plug-in said at its opening; the answer tells whether the
// host takes its MIDI (open flag 0x10).
VstIntPtr ProcessEvents(const CallbackCall& call) {
  PluginInstance* instance = FindInstanceForEffect(call.effect);
  if (instance == nullptr) return 0;
  const auto* events = static_cast<const VstEvents*>(call.ptr);
  for (VstInt32 i = 0; events != nullptr && i < events->numEvents; ++i) {
    const VstEvent* event = events->events[i];
    if (event != nullptr && event->type == kVstMidiType)
      SendPluginEvent(instance, reinterpret_cast<const VstMidiEvent*>(event));
  }
  return (instance->openFlags & kPluginOpenMidiOutput) ? 1 : 0;
}

VstIntPtr TempoAt(const CallbackCall& call) { return GetVstTempoAt(int32_t(call.value)); }
VstIntPtr AutomatableParameters(const CallbackCall&) { return 65536; }

VstIntPtr NeedIdle(const CallbackCall& call) {
  if (PluginInstance* instance = FindInstanceForEffect(call.effect))
    instance->stateFlags |= kPluginStateNeedsIdle;
  else
    gPendingNeedIdle = 1;
  return 1;
}

VstIntPtr SizePluginWindow(const CallbackCall& call) {
  PluginInstance* instance = FindInstanceForEffect(call.effect);
  PluginInfo* info = instance ? PluginInfoAt(int32_t(instance->tableIndex)) : nullptr;
  if (info == nullptr || instance->editorWindow == nullptr) return -1;
  // The editor's rectangle takes the size asked for even when the window keeps its own.
  instance->editorBounds.bottom = SInt16(instance->editorBounds.top + call.value);
  instance->editorBounds.right = SInt16(instance->editorBounds.left + call.index);
  if (info->pluginFlags & kPluginInfoFixedWindow) return -1;
  SizeWindow(instance->editorWindow, SInt16(call.index), SInt16(call.value), true);
  return 1;
}

VstIntPtr ProcessLevel(const CallbackCall&) {
  return tRenderChannel ? kVstProcessLevelRealtime : kVstProcessLevelUser;
}

VstIntPtr AutomationState(const CallbackCall&) { return IsAutomationReading() ? 1 : 0; }

VstIntPtr VendorString(const CallbackCall& call) {
  if (call.ptr) std::memcpy(call.ptr, kHostVendorString, kHostVendorStringBytes);
  return 1;
}

VstIntPtr ProductString(const CallbackCall& call) {
  if (call.ptr) std::memcpy(call.ptr, kHostProductString, kHostProductStringBytes);
  return 1;
}

VstIntPtr VendorVersion(const CallbackCall&) { return kSongFileVersion; }

VstIntPtr VendorSpecific(const CallbackCall& call) {
  PluginInstance* instance = FindInstanceForEffect(call.effect);
  if (instance == nullptr || uint32_t(call.index) != kVendorSpecificRefresh || call.value != 0 ||
      call.ptr == nullptr)
    return 0;
  RefreshVstParameterCount(instance);
  return 1;
}

VstIntPtr CanDo(const CallbackCall& call) {
  const char* asked = static_cast<const char*>(call.ptr);
  if (asked == nullptr) return 0;
  for (const char* known : kHostCanDo)
    if (std::strcmp(asked, known) == 0) return 1;
  return 0;
}

// The folder that holds the plug-in's own file (a plug-in reads its own files there).
VstIntPtr GetDirectory(const CallbackCall& call) {
  PluginInstance* instance = FindInstanceForEffect(call.effect);
  PluginInfo* info = instance ? PluginInfoAt(int32_t(instance->tableIndex)) : nullptr;
  if (info == nullptr) return 0;
  std::string_view path(info->path, strnlen(info->path, sizeof info->path));
  size_t slash = path.rfind('/');
  if (slash == std::string_view::npos || path.size() >= sizeof tPluginFolder) return 0;
  size_t folder = slash == 0 ? 1 : slash;
  std::memcpy(tPluginFolder, path.data(), folder);
  tPluginFolder[folder] = 0;
  return reinterpret_cast<VstIntPtr>(tPluginFolder);
}

VstIntPtr UpdateDisplay(const CallbackCall& call) {
  MarkPluginDisplayDirty(FindInstanceForEffect(call.effect), 1);
  return 1;
}

VstIntPtr BeginEdit(const CallbackCall&) { return 1; }

VstIntPtr EndEdit(const CallbackCall&) {
  RedrawPluginMixerRange();
  return 1;
}

// The answered opcodes, by number; null entries are not answered.
constexpr int32_t kOpcodeTableSize = kAudioMasterEndEdit + 1;
constexpr OpcodeHandler kOpcodeHandlers[kOpcodeTableSize] = {
    Automate, Version, nullptr, Idle, PinConnected, nullptr, WantMidi, GetTime,
    ProcessEvents, nullptr, TempoAt, AutomatableParameters, nullptr, nullptr, NeedIdle,
    SizePluginWindow, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    ProcessLevel, AutomationState, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    VendorString, ProductString, VendorVersion, VendorSpecific, nullptr, CanDo, nullptr, nullptr,
    nullptr, GetDirectory, UpdateDisplay, BeginEdit, EndEdit};

void SetDisplayDirty(PluginInstance* instance, int32_t kind) {
  instance->stateFlags = uint16_t((instance->stateFlags & ~kPluginStateRefreshMask) | (kind ? 2 : 1));
  RequestPluginWindowRefresh(kRefreshMainEditor);
}

// A search of the insert racks for the one whose live chain holds an instance.
struct RackSearch {
  const PluginInstance* instance = nullptr;
  Handle rack;
  int32_t position = -1;
};

bool RackHolds(Handle rack, RackSearch* search) {
  if (!IsInsertRack(rack)) return false;
  uint32_t head = GetRackChainHead(rack);
  for (int32_t n = 0; head != 0; ++n) {
    PluginInstance* member = GetChainPlugin(head, n);
    if (member == nullptr) return false;
    if (member == search->instance) {
      search->rack = rack;
      search->position = n;
      return true;
    }
  }
  return false;
}

int32_t SearchInstrumentRack(void* arg, uint8_t* record) {
  return RackHolds(Handle(ReadU32BE(record + kInstInsertRack)), static_cast<RackSearch*>(arg));
}

int32_t SearchTrackRack(void* arg, uint8_t* entry) {
  return RackHolds(Handle(ReadU32BE(entry + kTrackInsertRack)), static_cast<RackSearch*>(arg));
}

int32_t SearchSongRacks(void* arg) {
  auto* search = static_cast<RackSearch*>(arg);
  SearchSongTracks(SearchTrackRack, search);
  return search->rack ? 1 : 0;
}

}  // namespace

Handle FindRackForInstance(const PluginInstance* instance, int32_t* position) {
  RackSearch search;
  search.instance = instance;
  if (instance != nullptr && !ForEachInstrumentAndSpecial(SearchInstrumentRack, &search))
    ForEachSong(SearchSongRacks, &search);
  if (position) *position = search.position;
  return search.rack;
}

Handle FindRackForEffect(AEffect* effect, int32_t* position) {
  PluginInstance* instance = FindInstanceForEffect(effect);
  if (instance == nullptr) {
    if (position) *position = -1;
    return Handle();
  }
  return FindRackForInstance(instance, position);
}

VstIntPtr HandleAudioMasterCall(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                VstIntPtr value, void* ptr, float opt) {
  OpcodeHandler handler =
      opcode >= 0 && opcode < kOpcodeTableSize ? kOpcodeHandlers[opcode] : nullptr;
  if (handler == nullptr) {
    NoteUnanswered(opcode);
    return 0;
  }
  return handler(CallbackCall{effect, index, value, ptr, opt});
}

PluginInstance* FindInstanceForEffect(AEffect* effect) {
  if (effect == nullptr) return nullptr;
  if (gOpeningPlugin == kOpeningPluginPending) return nullptr;
  PluginInstance* current = GetPluginInstance(gOpeningPlugin);
  if (current != nullptr && current->effect == effect) return current;
  return SearchInstanceTable(effect);
}

void MarkPluginDisplayDirty(PluginInstance* instance, int32_t kind) {
  if (instance == nullptr || (instance->stateFlags & kDisplayDirtyGuard)) return;
  SetDisplayDirty(instance, kind);
}

void MarkPluginDisplayDirtyAlways(PluginInstance* instance, int32_t kind) {
  if (instance != nullptr) SetDisplayDirty(instance, kind);
}

void RefreshVstParameterCount(PluginInstance* instance) {
  if (instance == nullptr || instance->effect == nullptr) return;
  uint32_t count = instance->effect->numParams > 0 ? uint32_t(instance->effect->numParams) : 0;
  if (count == instance->parameterCount) return;
  // The tables are made with new[] when the instance opens; they are made again for the new
  // count when they are next needed.
  delete[] instance->parameterMinimum;
  delete[] instance->parameterMaximum;
  delete[] instance->parameterUnit;
  instance->parameterMinimum = instance->parameterMaximum = nullptr;
  instance->parameterUnit = nullptr;
  instance->parameterCount = count;
}

void StorePluginRenderChannel(EngineChannel* channel) {
  StoreChannelLatencyOffset(channel);
  tRenderChannel = channel;
}
EngineChannel* GetPluginRenderChannel() { return tRenderChannel; }

void RunDeferredPluginIdle() {
  if (!gDeferredPluginIdle || tRenderChannel != nullptr) return;
  gDeferredPluginIdle = 0;
  int32_t left = CountPluginInstanceRecords();
  for (uint32_t id = 1; id <= uint32_t(kMaxInstanceIds) && left > 0; ++id) {
    PluginInstance* instance = GetPluginInstance(id);
    if (instance == nullptr) continue;
    --left;
    if (instance->stateFlags & (kPluginStateNeedsIdle | kPluginStateEditorOpen))
      PluginIdle(instance, true);
  }
}
