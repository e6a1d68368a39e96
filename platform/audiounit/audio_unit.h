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
};

// 84 bytes, as the parameter information property answers it.
struct AudioUnitParameterInfo {
  char name[52];
  uint32_t unitName;        // unused here
  uint32_t clumpID;
  uint32_t cfNameString;    // unused here
  uint32_t unit;
  float minValue;
  float maxValue;
  float defaultValue;
  uint32_t flags;
};
static_assert(sizeof(AudioUnitParameterInfo) == 84);

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

// Instances.
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
// Renders frames of one output bus into data: one buffer per channel (non-interleaved f32).
// Engine thread: never allocates or blocks.
OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* flags,
                         const AudioTimeStamp* time, uint32_t bus, uint32_t frames,
                         AudioBufferList* data);
// Queues a MIDI message for the next render, at a frame offset of that block. Engine thread.
OSStatus MusicDeviceMIDIEvent(AudioUnit unit, uint32_t status, uint32_t data1, uint32_t data2,
                              uint32_t offsetFrames);
