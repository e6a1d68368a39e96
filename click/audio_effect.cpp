#include "click/audio_effect.h"

#include <cstring>

AudioEffect::AudioEffect(AudioMasterCallback audioMaster, VstInt32 programCount,
                         VstInt32 paramCount)
    : hostCallback(audioMaster), numPrograms(programCount), numParams(paramCount) {
  std::memset(&effect, 0, sizeof effect);
  effect.magic = kEffectMagic;
  effect.dispatcher = DispatchEffectEntry;
  effect.process = ProcessEntry;
  effect.setParameter = SetParameterEntry;
  effect.getParameter = GetParameterEntry;
  effect.numPrograms = programCount;
  effect.numParams = paramCount;
  effect.numInputs = 1;
  effect.numOutputs = 2;
  effect.flags = kEffFlagsCanReplacing;
  effect.ioRatio = 1.0f;
  effect.object = this;
  effect.uniqueID = static_cast<VstInt32>(FourCC("NoEf"));
  effect.version = 1;
  effect.processReplacing = ProcessReplacingEntry;
  effect.processDoubleReplacing = ProcessDoubleReplacingEntry;
}

AudioEffect::~AudioEffect() { delete editor; }

void AudioEffect::SetEffectFlag(VstInt32 bit, bool state) {
  if (state)
    effect.flags |= bit;
  else
    effect.flags &= ~bit;
}

VstIntPtr AudioEffect::CallHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt) {
  if (!hostCallback) return 0;
  return hostCallback(&effect, opcode, index, value, ptr, opt);
}

// Opcodes that hand the plug-in a text buffer do nothing without one.
static bool NeedsText(VstInt32 opcode) {
  return opcode == kEffSetProgramName || opcode == kEffGetProgramName ||
         opcode == kEffGetParamLabel || opcode == kEffGetParamDisplay ||
         opcode == kEffGetParamName;
}

VstIntPtr AudioEffect::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                float opt) {
  if (NeedsText(opcode) && !ptr) return 0;
  char* text = static_cast<char*>(ptr);
  switch (opcode) {
    case kEffOpen: Open(); break;
    case kEffClose: Close(); break;
    case kEffSetProgram:
      // A negative program number would index before the program table.
      if (value >= 0 && value < numPrograms) SetProgram(static_cast<VstInt32>(value));
      break;
    case kEffGetProgram: return GetProgram();
    case kEffSetProgramName: SetProgramName(text); break;
    case kEffGetProgramName: GetProgramName(text); break;
    case kEffGetParamLabel: GetParameterLabel(index, text); break;
    case kEffGetParamDisplay: GetParameterDisplay(index, text); break;
    case kEffGetParamName: GetParameterName(index, text); break;
    case kEffGetVu: return static_cast<VstIntPtr>(GetVu() * 32767.0f);
    case kEffSetSampleRate: SetSampleRate(opt); break;
    case kEffSetBlockSize: SetBlockSize(static_cast<VstInt32>(value)); break;
    case kEffMainsChanged:
      if (value == 0)
        Suspend();
      else
        Resume();
      break;
    case kEffEditGetRect: return editor && editor->GetRect(static_cast<ERect**>(ptr)) ? 1 : 0;
    case kEffEditOpen: return editor && editor->Open(ptr) ? 1 : 0;
    case kEffEditClose:
      if (editor) editor->Close();
      break;
    case kEffEditIdle:
      if (editor) editor->Idle();
      break;
    case kEffIdentify: return kEffIdentifyAnswer;
    case kEffGetChunk: return GetChunk(static_cast<void**>(ptr), index != 0);
    case kEffSetChunk: return SetChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default: break;
  }
  return 0;
}

void AudioEffect::SetParameterAutomated(VstInt32 index, float value) {
  SetParameter(index, value);
  CallHost(kAudioMasterAutomate, index, 0, nullptr, value);
}

VstInt32 AudioEffect::GetMasterVersion() {
  VstIntPtr version = CallHost(kAudioMasterVersion);
  return version ? static_cast<VstInt32>(version) : 1;
}

VstInt32 AudioEffect::GetCurrentUniqueId() {
  return static_cast<VstInt32>(CallHost(kAudioMasterCurrentId));
}

void AudioEffect::CallMasterIdle() { CallHost(kAudioMasterIdle); }

bool AudioEffect::IsInputConnected(VstInt32 input) {
  return CallHost(kAudioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::IsOutputConnected(VstInt32 output) {
  return CallHost(kAudioMasterPinConnected, output, 1) == 0;
}

// ---- entry functions

static AudioEffect* EffectObject(AEffect* effect) {
  return effect ? static_cast<AudioEffect*>(effect->object) : nullptr;
}

VstIntPtr DispatchEffectEntry(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                              void* ptr, float opt) {
  AudioEffect* object = EffectObject(effect);
  if (!object) return 0;
  if (opcode == kEffClose) {
    object->Dispatch(opcode, index, value, ptr, opt);
    delete object;
    return 1;
  }
  return object->Dispatch(opcode, index, value, ptr, opt);
}

void ProcessEntry(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  if (AudioEffect* object = EffectObject(effect)) object->Process(inputs, outputs, frames);
}

void ProcessReplacingEntry(AEffect* effect, float** inputs, float** outputs, VstInt32 frames) {
  if (AudioEffect* object = EffectObject(effect))
    object->ProcessReplacing(inputs, outputs, frames);
}

void ProcessDoubleReplacingEntry(AEffect* effect, double** inputs, double** outputs,
                                 VstInt32 frames) {
  if (AudioEffect* object = EffectObject(effect))
    object->ProcessDoubleReplacing(inputs, outputs, frames);
}

void SetParameterEntry(AEffect* effect, VstInt32 index, float value) {
  if (AudioEffect* object = EffectObject(effect)) object->SetParameter(index, value);
}

float GetParameterEntry(AEffect* effect, VstInt32 index) {
  AudioEffect* object = EffectObject(effect);
  return object ? object->GetParameter(index) : 0.0f;
}
