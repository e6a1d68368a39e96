// Opening, preparing, resuming, suspending and closing plug-in instances (VST 2 effects and
// instruments, and component instances of the plug-in component layer), the instance
// values other parts read through the host, and an instance's sound bank, parameter
// information and factory presets. Main thread only; the engine renders an instance only
// between ResumePlugin and SuspendPlugin.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/vst/vst_interface.h"
#include "plugins/host/plugin_instance.h"

struct FSSpec;
struct PluginInfo;

// Program error numbers of an open.
enum : OSErr {
  kAudioUnitNotFoundErr = 73,  // the component is not installed
  kPluginOpenFailedErr = 77,   // no effect, or no memory for the record
  kTooManyOutputsErr = 78,     // more than 128 outputs
};

// Report options of OpenPluginInstance.
constexpr uint32_t kOpenQuietly = 4;  // do not report errors

constexpr double kDefaultOpenSampleRate = 44100.0;
// Bounds on what a plug-in reports: its parameter and program counts size the host's tables.
constexpr uint32_t kMaxPluginParameters = 65536;
constexpr uint32_t kMaxPluginPrograms = 65536;
// The longest chain a walk follows (a damaged link never loops forever).
constexpr int32_t kMaxChainLength = 4096;
// The first format word AccessPluginFormat answers for an instance only snapshots hold.
constexpr uint32_t kHeldFormatKind = 5;
constexpr int32_t kSoundBankSpecBytes = 70;
// The parameter information, then unit and parameter id.
constexpr int32_t kAUParameterInfoBytes = int32_t(sizeof(AudioUnitParameterInfo)) + 8;
constexpr int32_t kRenderQualitySteps = 5;

// Opens a plug-in and appends the new instance to the chain whose head id is *chainHead.
// entry: the VST entry point (null for a component); maxFrames: the block size; tableIndex
// and info: the plug-in's entry of the table; entryIsVector: the entry point needs
// code-fragment glue (never on this platform); effect: an effect already created by the
// caller, or null; sampleRate: 0.0 or less opens at 44100. Answers the plug-in's
// four-character id, or 0 when the open failed (reported unless reportOptions has
// kOpenQuietly; the error in *error when error is not null).
uint32_t OpenPluginInstance(VstPluginMainProc entry, uint32_t maxFrames, uint32_t* chainHead,
                            int32_t tableIndex, int32_t entryIsVector, PluginInfo* info,
                            uint32_t reportOptions, AEffect* effect, double sampleRate,
                            OSErr* error = nullptr);
// Fills a new record for either kind; for a component it finds and opens the component.
// noErr, kAudioUnitNotFoundErr or the component's initialisation error.
OSErr OpenAudioUnitInstance(PluginInstance* record, AEffect* effect, int32_t tableIndex,
                            uint32_t maxFrames, uint32_t openFlags, PluginInfo* info,
                            double sampleRate);
// Releases everything the record owns; the caller frees the record.
void DisposePluginInstance(PluginInstance* record);

OSStatus SetPluginSampleRate(PluginInstance* record, double rate);
OSStatus SetPluginMaxFrames(PluginInstance* record, uint32_t frames);
void ResumePlugin(PluginInstance* record, int32_t installInput);
void SuspendPlugin(PluginInstance* record);

void GetPluginChannelCounts(const PluginInstance* record, int32_t* inputs, int32_t* outputs);
void GetPluginProgramCounts(const PluginInstance* record, int32_t* programs,
                            int32_t* parameters);
// Get (set 0): the three format words (kind 5 and the low byte of the first word while the
// instance is held only by snapshots). Set (1): stores them; answers 1 when the second
// word changed.
int32_t AccessPluginFormat(PluginInstance* record, int32_t set, uint32_t* first,
                           uint32_t* second, uint32_t* third);

// Appends the record at the end of the chain and counts the use.
void AppendToChain(uint32_t* chainHead, PluginInstance* record);
void AddPluginUse(PluginInstance* record, int32_t n);

// Stores the device id byte; with registerFlag the plug-in device of that id takes the
// instance (a null record unlinks it: LinkDeviceInstance, plugin_devices.h).
void SetInstanceDevice(PluginInstance* record, int32_t registerFlag, uint8_t deviceId);

// Sound bank and render quality: mode 0 stores (and applies) the 70-byte bank at data,
// mode 1 copies it out, mode 2 sets the render quality from the u16 index at data (0..4),
// mode 3 answers the index through data (u16).
OSStatus AccessSoundBank(PluginInstance* record, int32_t mode, void* data);
// The 70-byte bank image, field by field: volume (i16) at 0, parent folder (i32) at 2 and the
// name (length-prefixed, at most 63 characters) at 6, all big-endian.
void SoundBankImageToFile(const uint8_t* bank, FSSpec* file);
void FileToSoundBankImage(const FSSpec* file, uint8_t* bank);
extern int16_t gRenderQualityIndex;

// The parameter information of parameter index into a 100-byte area.
OSStatus GetAUParameterInfo(PluginInstance* record, void* info, int32_t index);
void ReleaseAUParameterInfo(void* info);

// The number and name (Pascal string, at most 63 characters) of cached factory preset
// index; with no cache the number is -1 and the name empty.
OSStatus GetFactoryPreset(PluginInstance* record, int32_t index, int32_t* number,
                          StringPtr name);
// Reads the factory presets again, updates the program count and the current preset.
void RefreshFactoryPresets(PluginInstance* record);

// Code-fragment glue: no plug-in of this platform needs it. Both makers answer null and
// DisposeCfmGlue does nothing (null included).
void* MakeCfmGlue(void* vector);
void* MakeTransitionVector(void* code);
void DisposeCfmGlue(void* glue);
