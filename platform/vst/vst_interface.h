// The binary interface between a VST 2.4 host and its plug-ins, as laid out on 64-bit Linux.
//
// A plug-in is a shared object that exports VSTPluginMain. The host calls it with its own
// callback (the audioMaster callback) and gets back an AEffect record; from then on the two
// talk only through the record's function pointers and the callback, each call carrying an
// opcode, an index, a pointer-sized value, a pointer and a float. Pointer-sized fields and
// results are intptr_t, so the record is 192 bytes here (144 on 32-bit machines).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/memory/mac_types.h"

using VstInt16 = int16_t;
using VstInt32 = int32_t;
using VstInt64 = int64_t;
using VstIntPtr = intptr_t;

struct AEffect;

// The host's callback: (effect, audioMaster opcode, index, value, pointer, float).
using AudioMasterCallback = VstIntPtr (*)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                          VstIntPtr value, void* ptr, float opt);
// The plug-in's entry points stored in the record.
using AEffectDispatcherProc = VstIntPtr (*)(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                            VstIntPtr value, void* ptr, float opt);
using AEffectProcessProc = void (*)(AEffect* effect, float** inputs, float** outputs,
                                    VstInt32 sampleFrames);
using AEffectProcessDoubleProc = void (*)(AEffect* effect, double** inputs, double** outputs,
                                          VstInt32 sampleFrames);
using AEffectSetParameterProc = void (*)(AEffect* effect, VstInt32 index, float parameter);
using AEffectGetParameterProc = float (*)(AEffect* effect, VstInt32 index);
// The exported entry of a plug-in.
using VstPluginMainProc = AEffect* (*)(AudioMasterCallback audioMaster);

constexpr const char* kVstPluginMainName = "VSTPluginMain";
constexpr VstInt32 kEffectMagic = static_cast<VstInt32>(FourCC("VstP"));
constexpr VstInt32 kVstVersion = 2400;

struct AEffect {
  VstInt32 magic;                  // kEffectMagic
  AEffectDispatcherProc dispatcher;
  AEffectProcessProc process;      // accumulating
  AEffectSetParameterProc setParameter;
  AEffectGetParameterProc getParameter;
  VstInt32 numPrograms;
  VstInt32 numParams;
  VstInt32 numInputs;
  VstInt32 numOutputs;
  VstInt32 flags;                  // kEffFlags...
  VstIntPtr resvd1;
  VstIntPtr resvd2;
  VstInt32 initialDelay;           // in samples
  VstInt32 realQualities;
  VstInt32 offQualities;
  float ioRatio;
  void* object;                    // the plug-in's own object
  void* user;                      // free for the host
  VstInt32 uniqueID;
  VstInt32 version;                // the plug-in's own version
  AEffectProcessProc processReplacing;
  AEffectProcessDoubleProc processDoubleReplacing;
  char future[56];
};

static_assert(offsetof(AEffect, dispatcher) == 8);
static_assert(offsetof(AEffect, numPrograms) == 40);
static_assert(offsetof(AEffect, flags) == 56);
static_assert(offsetof(AEffect, resvd1) == 64);
static_assert(offsetof(AEffect, initialDelay) == 80);
static_assert(offsetof(AEffect, ioRatio) == 92);
static_assert(offsetof(AEffect, object) == 96);
static_assert(offsetof(AEffect, uniqueID) == 112);
static_assert(offsetof(AEffect, processReplacing) == 120);
static_assert(offsetof(AEffect, future) == 136);
static_assert(sizeof(AEffect) == 192);

// Bits of AEffect::flags.
enum : VstInt32 {
  kEffFlagsHasEditor = 1 << 0,
  kEffFlagsHasClip = 1 << 1,
  kEffFlagsHasVu = 1 << 2,
  kEffFlagsCanMono = 1 << 3,
  kEffFlagsCanReplacing = 1 << 4,
  kEffFlagsProgramChunks = 1 << 5,
  kEffFlagsIsSynth = 1 << 8,
  kEffFlagsNoSoundInStop = 1 << 9,
  kEffFlagsExtIsAsync = 1 << 10,
  kEffFlagsExtHasBuffer = 1 << 11,
  kEffFlagsCanDoubleReplacing = 1 << 12,
};

// Opcodes the host sends through AEffect::dispatcher.
enum : VstInt32 {
  kEffOpen = 0,
  kEffClose = 1,
  kEffSetProgram = 2,
  kEffGetProgram = 3,
  kEffSetProgramName = 4,
  kEffGetProgramName = 5,
  kEffGetParamLabel = 6,
  kEffGetParamDisplay = 7,
  kEffGetParamName = 8,
  kEffGetVu = 9,
  kEffSetSampleRate = 10,
  kEffSetBlockSize = 11,
  kEffMainsChanged = 12,  // value 0 suspend, otherwise resume
  kEffEditGetRect = 13,
  kEffEditOpen = 14,
  kEffEditClose = 15,
  kEffEditDraw = 16,
  kEffEditMouse = 17,
  kEffEditKey = 18,
  kEffEditIdle = 19,
  kEffEditTop = 20,
  kEffEditSleep = 21,
  kEffIdentify = 22,
  kEffGetChunk = 23,
  kEffSetChunk = 24,
  kEffProcessEvents = 25,
  kEffCanBeAutomated = 26,
  kEffString2Parameter = 27,
  kEffGetNumProgramCategories = 28,
  kEffGetProgramNameIndexed = 29,
  kEffCopyProgram = 30,
  kEffConnectInput = 31,
  kEffConnectOutput = 32,
  kEffGetInputProperties = 33,
  kEffGetOutputProperties = 34,
  kEffGetPlugCategory = 35,
  kEffGetCurrentPosition = 36,
  kEffGetDestinationBuffer = 37,
  kEffOfflineNotify = 38,
  kEffOfflinePrepare = 39,
  kEffOfflineRun = 40,
  kEffProcessVarIo = 41,
  kEffSetSpeakerArrangement = 42,
  kEffSetBlockSizeAndSampleRate = 43,
  kEffSetBypass = 44,
  kEffGetEffectName = 45,
  kEffGetErrorText = 46,
  kEffGetVendorString = 47,
  kEffGetProductString = 48,
  kEffGetVendorVersion = 49,
  kEffVendorSpecific = 50,
  kEffCanDo = 51,
  kEffGetTailSize = 52,
  kEffIdle = 53,
  kEffGetIcon = 54,
  kEffSetViewPosition = 55,
  kEffGetParameterProperties = 56,
  kEffKeysRequired = 57,
  kEffGetVstVersion = 58,
  kEffEditKeyDown = 59,
  kEffEditKeyUp = 60,
  kEffSetEditKnobMode = 61,
  kEffGetMidiProgramName = 62,
  kEffGetCurrentMidiProgram = 63,
  kEffGetMidiProgramCategory = 64,
  kEffHasMidiProgramsChanged = 65,
  kEffGetMidiKeyName = 66,
  kEffBeginSetProgram = 67,
  kEffEndSetProgram = 68,
  kEffGetSpeakerArrangement = 69,
  kEffShellGetNextPlugin = 70,
  kEffStartProcess = 71,
  kEffStopProcess = 72,
  kEffSetTotalSampleToProcess = 73,
  kEffSetPanLaw = 74,
  kEffBeginLoadBank = 75,
  kEffBeginLoadProgram = 76,
  kEffSetProcessPrecision = 77,
  kEffGetNumMidiInputChannels = 78,
  kEffGetNumMidiOutputChannels = 79,
};

// Opcodes the plug-in sends through the host's callback.
enum : VstInt32 {
  kAudioMasterAutomate = 0,
  kAudioMasterVersion = 1,
  kAudioMasterCurrentId = 2,
  kAudioMasterIdle = 3,
  kAudioMasterPinConnected = 4,
  kAudioMasterWantMidi = 6,
  kAudioMasterGetTime = 7,
  kAudioMasterProcessEvents = 8,
  kAudioMasterSetTime = 9,
  kAudioMasterTempoAt = 10,
  kAudioMasterGetNumAutomatableParameters = 11,
  kAudioMasterGetParameterQuantization = 12,
  kAudioMasterIOChanged = 13,
  kAudioMasterNeedIdle = 14,
  kAudioMasterSizeWindow = 15,
  kAudioMasterGetSampleRate = 16,
  kAudioMasterGetBlockSize = 17,
  kAudioMasterGetInputLatency = 18,
  kAudioMasterGetOutputLatency = 19,
  kAudioMasterGetPreviousPlug = 20,
  kAudioMasterGetNextPlug = 21,
  kAudioMasterWillReplaceOrAccumulate = 22,
  kAudioMasterGetCurrentProcessLevel = 23,
  kAudioMasterGetAutomationState = 24,
  kAudioMasterOfflineStart = 25,
  kAudioMasterOfflineRead = 26,
  kAudioMasterOfflineWrite = 27,
  kAudioMasterOfflineGetCurrentPass = 28,
  kAudioMasterOfflineGetCurrentMetaPass = 29,
  kAudioMasterSetOutputSampleRate = 30,
  kAudioMasterGetOutputSpeakerArrangement = 31,
  kAudioMasterGetVendorString = 32,
  kAudioMasterGetProductString = 33,
  kAudioMasterGetVendorVersion = 34,
  kAudioMasterVendorSpecific = 35,
  kAudioMasterSetIcon = 36,
  kAudioMasterCanDo = 37,
  kAudioMasterGetLanguage = 38,
  kAudioMasterOpenWindow = 39,
  kAudioMasterCloseWindow = 40,
  kAudioMasterGetDirectory = 41,  // on Linux: a path (char*) of the plug-in's folder, or null
  kAudioMasterUpdateDisplay = 42,
  kAudioMasterBeginEdit = 43,
  kAudioMasterEndEdit = 44,
  kAudioMasterOpenFileSelector = 45,
  kAudioMasterCloseFileSelector = 46,
  kAudioMasterEditFile = 47,
  kAudioMasterGetChunkFile = 48,
  kAudioMasterGetInputSpeakerArrangement = 49,
};

// Answers of kEffGetPlugCategory.
enum : VstInt32 {
  kPlugCategUnknown = 0,
  kPlugCategEffect = 1,
  kPlugCategSynth = 2,
  kPlugCategAnalysis = 3,
  kPlugCategMastering = 4,
  kPlugCategSpacializer = 5,
  kPlugCategRoomFx = 6,
  kPlugSurroundFx = 7,
  kPlugCategRestoration = 8,
  kPlugCategOfflineProcess = 9,
  kPlugCategShell = 10,
  kPlugCategGenerator = 11,
};

// Text sizes of the interface, terminating zero included.
enum : VstInt32 {
  kVstMaxProgNameLen = 24,
  kVstMaxParamStrLen = 8,
  kVstMaxVendorStrLen = 64,
  kVstMaxProductStrLen = 64,
  kVstMaxEffectNameLen = 32,
  kVstMaxNameLen = 64,
  kVstMaxLabelLen = 64,
  kVstMaxShortLabelLen = 8,
};

// Answer of kEffIdentify.
constexpr VstInt32 kEffIdentifyAnswer = static_cast<VstInt32>(FourCC("NvEf"));

// Copies a zero-terminated text into a field of `capacity` bytes (terminating zero included),
// cutting it when it is longer, and always terminating it. A null source gives an empty text.
void CopyVstString(char* dst, const char* src, size_t capacity);
