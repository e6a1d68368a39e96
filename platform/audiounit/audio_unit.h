// The plug-in component layer: finding plug-in components, opening instances, their
// properties, parameters, rendering, MIDI and listeners. On Linux the components are the LV2
// plug-ins that lilv finds (effects, instruments, generators); parameters are their control
// ports, an instance's state goes through the LV2 state extension, MIDI through an atom
// sequence port.
//
// A component's type says what it is ('aufx' effect, 'aumu' instrument, 'aumf' music effect,
// 'augn' generator); its subtype and manufacturer are four-character codes made from the
// plug-in's URI and maker so that they stay the same between runs.
#pragma once

#include <cstdint>

#include "platform/audiounit/audio_unit_types.h"
#include "platform/coreaudio/audio_types.h"
#include "platform/memory/mac_types.h"
#include "platform/text/cf_array.h"
#include "platform/text/cf_data.h"
#include "platform/text/cf_string.h"

enum : OSStatus {
  kAudioUnitErr_InvalidProperty = -10879,
  kAudioUnitErr_InvalidParameter = -10878,
  kAudioUnitErr_InvalidElement = -10877,
  kAudioUnitErr_NoConnection = -10876,
  kAudioUnitErr_FailedInitialization = -10875,
  kAudioUnitErr_TooManyFramesToProcess = -10874,
  kAudioUnitErr_FormatNotSupported = -10868,
  kAudioUnitErr_Uninitialized = -10867,
  kAudioUnitErr_InvalidScope = -10866,
  kAudioUnitErr_PropertyNotWritable = -10865,
  kAudioUnitErr_InvalidPropertyValue = -10851,
  kAudioUnitErr_PropertyNotInUse = -10850,
  kAudioUnitErr_Initialized = -10849,
  kAudioUnitErr_CannotDoInCurrentContext = -10863,
  kAudioUnitErr_InvalidFile = -10871,
  badComponentInstance = -2147450879,
  badComponentSelector = -2147450878,
  invalidComponentID = -3000,
};

enum : OSType {
  kAudioUnitType_Effect = FourCC("aufx"),
  kAudioUnitType_MusicDevice = FourCC("aumu"),
  kAudioUnitType_MusicEffect = FourCC("aumf"),
  kAudioUnitType_FormatConverter = FourCC("aufc"),
  kAudioUnitType_Generator = FourCC("augn"),
};

enum : AudioUnitScope {
  kAudioUnitScope_Global = 0,
  kAudioUnitScope_Input = 1,
  kAudioUnitScope_Output = 2,
};

enum : AudioUnitPropertyID {
  kAudioUnitProperty_ClassInfo = 0,
  kAudioUnitProperty_SampleRate = 2,
  kAudioUnitProperty_ParameterList = 3,
  kAudioUnitProperty_ParameterInfo = 4,
  kAudioUnitProperty_FastDispatch = 5,
  kAudioUnitProperty_SetInputCallback = 7,
  kAudioUnitProperty_StreamFormat = 8,
  kAudioUnitProperty_ElementCount = 11,
  kAudioUnitProperty_Latency = 12,
  kAudioUnitProperty_SupportedNumChannels = 13,
  kAudioUnitProperty_MaximumFramesPerSlice = 14,
  kAudioUnitProperty_ParameterValueStrings = 16,
  kAudioUnitProperty_GetUIComponentList = 18,
  kAudioUnitProperty_BypassEffect = 21,
  kAudioUnitProperty_SetRenderCallback = 23,
  kAudioUnitProperty_FactoryPresets = 24,
  kAudioUnitProperty_RenderQuality = 26,
  kAudioUnitProperty_HostCallbacks = 27,
  kAudioUnitProperty_CurrentPreset = 28,
  kAudioUnitProperty_CocoaUI = 31,
  kAudioUnitProperty_ParameterStringFromValue = 33,
  kAudioUnitProperty_PresentPreset = 36,
  kAudioUnitProperty_OfflineRender = 37,
  kAudioUnitProperty_ParameterValueFromString = 38,
  kMusicDeviceProperty_InstrumentCount = 1000,
  kMusicDeviceProperty_InstrumentName = 1001,
  kMusicDeviceProperty_SoundBankFSSpec = 1003,
  kMusicDeviceProperty_InstrumentNumber = 1004,
  kMusicDeviceProperty_UsesInternalReverb = 1005,
  kMusicDeviceProperty_SoundBankFSRef = 1012,
};

// Parameter flags (AudioUnitParameterInfo::flags).
enum : uint32_t {
  kAudioUnitParameterFlag_IsReadable = 0x40000000,
  kAudioUnitParameterFlag_IsWritable = 0x80000000,
  kAudioUnitParameterFlag_MeterReadOnly = 0x8000,
  kAudioUnitParameterFlag_HasCFNameString = 0x10,
  kAudioUnitParameterFlag_CFNameRelease = 0x08000000,
  kAudioUnitParameterFlag_ValuesHaveStrings = 0x00200000,
  kAudioUnitParameterFlag_DisplayLogarithmic = 0x00400000,
};

// Parameter units (AudioUnitParameterInfo::unit). An indexed parameter takes the whole numbers
// from its minimum to its maximum, named by kAudioUnitProperty_ParameterValueStrings.
enum : uint32_t {
  kAudioUnitParameterUnit_Generic = 0,
  kAudioUnitParameterUnit_Indexed = 1,
  kAudioUnitParameterUnit_Boolean = 2,
  kAudioUnitParameterUnit_Percent = 3,
  kAudioUnitParameterUnit_Seconds = 4,
  kAudioUnitParameterUnit_SampleFrames = 5,
  kAudioUnitParameterUnit_Hertz = 8,
  kAudioUnitParameterUnit_Cents = 9,
  kAudioUnitParameterUnit_RelativeSemiTones = 10,
  kAudioUnitParameterUnit_MIDINoteNumber = 11,
  kAudioUnitParameterUnit_Decibels = 13,
  kAudioUnitParameterUnit_LinearGain = 14,
  kAudioUnitParameterUnit_Degrees = 15,
  kAudioUnitParameterUnit_Meters = 19,
  kAudioUnitParameterUnit_Octaves = 21,
  kAudioUnitParameterUnit_BPM = 22,
  kAudioUnitParameterUnit_Beats = 23,
  kAudioUnitParameterUnit_Milliseconds = 24,
  kAudioUnitParameterUnit_Ratio = 25,
  kAudioUnitParameterUnit_CustomUnit = 26,
};

// 84 bytes, as the parameter information property answers it.
struct AudioUnitParameterInfo {
  char name[52];
  uint32_t unitName;        // unused here
  uint32_t clumpID;
  CFStringRef cfNameString; // the whole name when it is longer than name holds (flag 0x10)
  uint32_t unit;
  float minValue;
  float maxValue;
  float defaultValue;
  uint32_t flags;
};
// Releases the name string a parameter information hands out (flags 0x10 and 0x08000000).
void ReleaseParameterInfoName(AudioUnitParameterInfo* info);

// Text for a value of a parameter flagged values-have-strings (property 33): inValue null
// means the current value; outString is a new reference. And the value a text names
// (property 38): a value's name, or a number.
struct AudioUnitParameterStringFromValue {
  AudioUnitParameterID inParamID;
  const Float32* inValue;
  CFStringRef outString;
};
struct AudioUnitParameterValueFromString {
  AudioUnitParameterID inParamID;
  CFStringRef inString;
  Float32 outValue;
};

// A supported channel configuration (kAudioUnitProperty_SupportedNumChannels): negative counts
// are wildcards.
struct AUChannelInfo {
  int16_t inChannels;
  int16_t outChannels;
};

// A preset (kAudioUnitProperty_FactoryPresets lists them; CurrentPreset and PresentPreset
// choose one by number). The name belongs to the unit.
struct AUPreset {
  int32_t presetNumber;
  CFStringRef presetName;
};

// The host's musical time, handed to a unit with kAudioUnitProperty_HostCallbacks (27). A unit
// asks for what it needs; a procedure may be null, and any out argument may be null.
using HostCallback_GetBeatAndTempo = OSStatus (*)(void* hostUserData, Float64* currentBeat,
                                                  Float64* currentTempo);
using HostCallback_GetMusicalTimeLocation = OSStatus (*)(void* hostUserData,
                                                         uint32_t* deltaSampleOffsetToNextBeat,
                                                         Float32* timeSigNumerator,
                                                         uint32_t* timeSigDenominator,
                                                         Float64* currentMeasureDownBeat);
using HostCallback_GetTransportState = OSStatus (*)(void* hostUserData, Boolean* isPlaying,
                                                    Boolean* transportStateChanged,
                                                    Float64* currentSampleInTimeLine,
                                                    Boolean* isCycling, Float64* cycleStartBeat,
                                                    Float64* cycleEndBeat);
struct HostCallbackInfo {
  void* hostUserData = nullptr;
  HostCallback_GetBeatAndTempo beatAndTempoProc = nullptr;
  HostCallback_GetMusicalTimeLocation musicalTimeLocationProc = nullptr;
  HostCallback_GetTransportState transportStateProc = nullptr;
};

// Scheduled parameter changes (AudioUnitScheduleParameters): 32 bytes each.
enum : uint32_t { kParameterEvent_Immediate = 1, kParameterEvent_Ramped = 2 };
struct AudioUnitParameterEvent {
  AudioUnitScope scope;
  AudioUnitElement element;
  AudioUnitParameterID parameter;
  uint32_t eventType;
  union {
    struct {
      int32_t startBufferOffset;
      uint32_t durationInFrames;
      float startValue;
      float endValue;
    } ramp;
    struct {
      uint32_t bufferOffset;
      float value;
    } immediate;
  } eventValues;
};
static_assert(sizeof(AudioUnitParameterEvent) == 32);

using AudioUnitRenderActionFlags = uint32_t;

// The render callback a unit calls for its input (property 23), and the older input callback
// of version-1 units (property 7).
using AURenderCallback = OSStatus (*)(void* refCon, AudioUnitRenderActionFlags* flags,
                                      const AudioTimeStamp* time, uint32_t bus, uint32_t frames,
                                      AudioBufferList* data);
struct AURenderCallbackStruct {
  AURenderCallback inputProc = nullptr;
  void* inputProcRefCon = nullptr;
};

// The fast-dispatch procedures (kAudioUnitProperty_FastDispatch, element = selector): called
// with the unit's instance storage (GetComponentInstanceStorage) instead of the unit.
enum : uint32_t {
  kAudioUnitRenderSelect = 0x0E,
  kAudioUnitRenderSliceSelect = 0x08,
  kMusicDeviceMIDIEventSelect = 0x101,
};
using AudioUnitRenderProc = OSStatus (*)(void* storage, AudioUnitRenderActionFlags* flags,
                                         const AudioTimeStamp* time, uint32_t bus, uint32_t frames,
                                         AudioBufferList* data);
using MusicDeviceMIDIEventProc = OSStatus (*)(void* storage, uint32_t status, uint32_t data1,
                                              uint32_t data2, uint32_t offsetFrames);

using AudioUnitPropertyListenerProc = void (*)(void* refCon, AudioUnit unit,
                                               AudioUnitPropertyID id, AudioUnitScope scope,
                                               AudioUnitElement element);

// Components.
Component FindNextComponent(Component after, const ComponentDescription* looking);
int32_t CountComponents(const ComponentDescription* looking);
// The description and the name "Maker: Plug-in" (a Pascal string of at most 255 bytes).
OSErr GetComponentInfo(Component component, ComponentDescription* description,
                       unsigned char* name);
// Packed as major << 16 | minor << 8 | micro.
int32_t GetComponentVersion(Component component);
OSErr OpenAComponent(Component component, ComponentInstance* instance);
ComponentInstance OpenComponent(Component component);
OSErr CloseComponent(ComponentInstance instance);

// Instances. Properties and their data (all in memory, native byte order):
//   ClassInfo (0, global): a CFDataRef, the unit's whole state as a block of bytes. Getting it
//     hands the caller a new reference (release it); setting it restores that state, and a block
//     that is not a state of this plug-in is refused with kAudioUnitErr_InvalidPropertyValue.
//   SampleRate (2): Float64. ParameterList (3, global): AudioUnitParameterID per parameter (the
//     plug-in's port index). ParameterInfo (4, global, element = parameter id):
//     AudioUnitParameterInfo. StreamFormat (8): AudioStreamBasicDescription, non-interleaved f32.
//   ElementCount (11): uint32_t. Latency (12): Float64 seconds. SupportedNumChannels (13):
//     AUChannelInfo list. MaximumFramesPerSlice (14): uint32_t.
//   ParameterValueStrings (16, global, element = parameter id): a CFArrayRef of CFStrings (a new
//     reference), for indexed parameters only.
//   FastDispatch (5, global, element = selector): the procedure, a pointer (AudioUnitRenderProc
//     for render and render slice, MusicDeviceMIDIEventProc for MIDI).
//   SetInputCallback (7, input scope, element 0): AURenderCallbackStruct, the version-1 input:
//     the callback gets one interleaved buffer of all input channels.
//   ParameterStringFromValue (33), ParameterValueFromString (38), global: the structs above.
//   BypassEffect (21), OfflineRender (37), RenderQuality (26): uint32_t.
//   SetRenderCallback (23, input scope, per bus): AURenderCallbackStruct.
//   FactoryPresets (24): a CFArrayRef (a new reference) of const AUPreset* that stay valid while
//     the unit is open. CurrentPreset (28), PresentPreset (36): AUPreset; setting one loads it.
//   HostCallbacks (27): HostCallbackInfo, kept by the unit.
// Other properties answer kAudioUnitErr_InvalidProperty.
OSStatus AudioUnitInitialize(AudioUnit unit);
OSStatus AudioUnitUninitialize(AudioUnit unit);
OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope scope, AudioUnitElement element);
OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                  AudioUnitElement element, uint32_t* size, Boolean* writable);
OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                              AudioUnitElement element, void* data, uint32_t* size);
OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                              AudioUnitElement element, const void* data, uint32_t size);
OSStatus AudioUnitAddPropertyListener(AudioUnit unit, AudioUnitPropertyID id,
                                      AudioUnitPropertyListenerProc proc, void* refCon);
OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue* value);
OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue value,
                               uint32_t bufferOffset);
// Applies the events' values (a ramp goes to its end value) to the global parameters.
OSStatus AudioUnitScheduleParameters(AudioUnit unit, const AudioUnitParameterEvent* events,
                                     uint32_t count);
// Renders frames of one output bus into data: one buffer per channel (non-interleaved f32).
// Engine thread: never allocates or blocks.
OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* flags,
                         const AudioTimeStamp* time, uint32_t bus, uint32_t frames,
                         AudioBufferList* data);
// The version-1 render: one buffer of mNumberChannels interleaved channels for the bus.
// Engine thread: never allocates or blocks.
OSStatus AudioUnitRenderSlice(AudioUnit unit, AudioUnitRenderActionFlags* flags,
                              const AudioTimeStamp* time, uint32_t bus, uint32_t frames,
                              AudioBufferList* data);
// What the fast-dispatch procedures take as their first argument; null for no open unit.
void* GetComponentInstanceStorage(ComponentInstance instance);
// Queues a MIDI message for the next render, at a frame offset of that block. Engine thread.
OSStatus MusicDeviceMIDIEvent(AudioUnit unit, uint32_t status, uint32_t data1, uint32_t data2,
                              uint32_t offsetFrames);
