// One open plug-in: a VST 2 effect or instrument (an AEffect from the plug-in's entry point)
// or a component instance of the plug-in component layer. The record lives in memory only
// (songs keep an instance's settings, never the record); it is known to the rest of the
// program by a 32-bit instance id, and the inserts of a chain are linked by those ids.
// Native pointers here point at the plug-in's own objects or at the host's own tables, never
// into a relocatable block.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/audiounit/audio_unit.h"
#include "platform/audiounit/audio_unit_types.h"
#include "platform/memory/mac_types.h"
#include "platform/vst/vst_interface.h"
#include "platform/vst/vst_records.h"

struct OpaqueWindowPtr;

constexpr int32_t kMaxPluginChannels = 32;   // per direction, over all buses
constexpr int32_t kMaxPluginBuses = 16;
constexpr int32_t kMaxVstOutputs = 128;       // more fails the open with error 78

// State flags (PluginInstance::stateFlags).
enum : uint16_t {
  kPluginStateRefreshMask = 0x0003,   // display refresh wanted (1 or 2)
  kPluginStateSpeech = 0x0004,
  kPluginStateViewOpen = 0x0008,
  kPluginStateReset = 0x0010,
  kPluginStateResetOnce = 0x0020,
  kPluginStateCocoaView = 0x0040,
  kPluginStateAltTempo = 0x0080,
  kPluginStateMeterParams = 0x0200,
  kPluginStateNoRefresh = 0x0400,
  kPluginStateInitialised = 0x0800,
  kPluginStateBankFSSpec = 0x1000,
  kPluginStateHasEditor = 0x2000,
  kPluginStateNeedsIdle = 0x4000,
  kPluginStateEditorOpen = 0x8000,
};

// Open flags (PluginInstance::openFlags).
enum : uint32_t {
  kPluginOpenVst = 0x01,
  kPluginOpenGlue = 0x04,
  kPluginOpenMixerReverb = 0x08,
  kPluginOpenMidiOutput = 0x10,
};

// More flags (PluginInstance::moreFlags).
enum : uint32_t {
  kPluginMoreBankFSRef = 1u << 29,
  kPluginMoreProgramChunks = 1u << 31,
};

struct PluginInstance {
  // What the render reads for every insert of every block comes first.
  AEffect* effect = nullptr;          // the VST effect; null for a component instance
  uint32_t inputChannels = 0;
  uint32_t outputChannels = 0;
  uint32_t enabledOutputs = 0;
  float** inputBufferTable = nullptr; // the input buffers of the render in progress
  double sampleTime = 0.0;
  AudioUnit unit = 0;                 // the component instance; 0 for VST
  uint8_t bypass = 0;
  uint8_t receivesMidi = 0;
  uint16_t stateFlags = 0;
  ComponentDescription description;   // componentFlags holds the render generation (0 or 2)
  uint32_t inputBuses = 0;
  uint32_t outputBuses = 0;
  AudioUnitRenderProc renderProc = nullptr;   // fast-dispatch render (or render slice), or null
  MusicDeviceMIDIEventProc midiProc = nullptr;
  void* dispatchStorage = nullptr;            // the first argument of the two procedures
  uint32_t next = 0;                  // instance id of the next insert of the chain, 0 at the end
  uint32_t id = 0;                    // this instance's id

  OpaqueWindowPtr* editorWindow = nullptr;
  Rect editorBounds = {0, 0, 0, 0};   // the editor's rectangle in its window (the plug-in's size requests)
  uint32_t tableIndex = 0;            // index of the plug-in's entry in gPluginTable
  uint8_t countsOpen = 0;             // its load raised the entry's open count (closing lowers it)
  uint32_t userWord = 0;
  uint32_t openFlags = 0;
  float inputScale = 1.0f / 32768.0f;
  float outputScale = 32768.0f;
  int32_t useCount = 0;
  int32_t secondCount = 0;            // the part of useCount held by snapshots and removed inserts
  uint32_t formatWords[3] = {};
  int32_t programWord = -1;
  uint8_t name[32] = {};              // length-prefixed, at most 31 characters
  uint8_t outputBusBytes[3][32] = {}; // per output: device id, second byte, output pair index
  uint8_t channelMap[2][16] = {};
  uint32_t parameterCount = 0;
  uint32_t programCount = 0;
  uint32_t maxFrames = 0;
  uint16_t rackFormatValue = 0;
  uint8_t changeFlags = 0;
  uint8_t notifyPending = 0;
  Handle automationList;              // the rack's automation point list
  Handle programList;
  Handle secondHandle;
  int32_t chainPosition = 0;
  uint32_t moreFlags = 0;
  int16_t midiKindMask = -1;
  uint16_t midiChannelMask = 0xFFFF;
  uint16_t midiOptions = 0;
  uint8_t controllerMask[16] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  float sampleRate = 0.0f;
  float* parameterMinimum = nullptr;
  float* parameterMaximum = nullptr;
  uint32_t* parameterUnit = nullptr;
  uint32_t parameterListener = 0;
  uint32_t eventListener = 0;
  AudioUnitParameterID* parameterIds = nullptr;
  uint8_t outputBusChannels[kMaxPluginBuses] = {};
  uint8_t inputBusChannels[kMaxPluginBuses] = {};
  Handle factoryPresets;              // cached factory presets of a component instance
  int32_t currentPresetNumber = -1;
  uint8_t currentPresetName[64] = {};
  uint8_t soundBank[70] = {};
  uint32_t pendingParameter = 0xFFFFFFFF;
  uint32_t meterPollTick = 0;         // TickCount of the last meter poll
  uint32_t latency = 0;               // samples
  uint32_t bankWord = 0;
  uint32_t stereoOutputs = 0;
  uint16_t transportCopy = 0;
  uint8_t outputCount = 0;
  uint8_t formatBits = 0;
  uint8_t deviceId = 0;
  uint8_t soundBankKind = 0;
  uint32_t tag = 0;
  uint32_t outputRouting = 0;
  uint32_t mixerFlags = 0;            // the settings flags word (plugin_settings.h)
  uint8_t colourIndex = 0;            // colour of the mixer row, 0 none chosen
  uint16_t firstVisibleParameter = 0; // first parameter of the mixer row's knobs
  VstTimeInfo timeInfo{};             // the instance's own time record
};

// The instance table: ids from 1; a lookup never allocates or blocks (engine thread too).
// A new, cleared record with its id, or null when the table or memory is full.
PluginInstance* NewPluginInstanceRecord();
// Frees the record and its id (the caller has released what the record owns).
void FreePluginInstanceRecord(PluginInstance* record);
// The record of an id, or null for 0, an unknown or a freed id. Inline: the render looks up
// every insert's successor once a block.
constexpr int32_t kPluginInstanceSlots = 4096;
// Slot n holds the record of id n + 1 (the table's own; read here only).
extern std::atomic<PluginInstance*> gPluginInstanceSlots[kPluginInstanceSlots];
inline PluginInstance* GetPluginInstance(uint32_t id) {
  if (id - 1u >= static_cast<uint32_t>(kPluginInstanceSlots)) return nullptr;
  return gPluginInstanceSlots[id - 1u].load(std::memory_order_acquire);
}
// Whether a pointer is an open instance's record (any thread; never blocks or allocates).
bool IsLivePluginInstance(const void* record);
// The number of records allocated (for leak checks).
int32_t CountPluginInstanceRecords();
