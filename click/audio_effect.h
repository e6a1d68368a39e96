// The base of a VST 2.4 plug-in object: it owns the AEffect record the host holds, turns the
// host's opcodes 0 to 24 into virtual operations with default answers, and wraps the first
// host-callback requests. AudioEffectX (audio_effect_x.h) adds the rest of the interface.
#pragma once

#include "platform/vst/vst_interface.h"
#include "platform/vst/vst_records.h"

// An editor window of a plug-in. Clickvox has none; the frame only forwards to it.
class EffectEditor {
 public:
  virtual ~EffectEditor() = default;
  virtual bool GetRect(ERect** rect) = 0;
  virtual bool Open(void* window) = 0;
  virtual void Close() = 0;
  virtual void Idle() = 0;
  virtual bool KeyDown(VstKeyCode& key) = 0;
  virtual bool KeyUp(VstKeyCode& key) = 0;
  virtual bool SetKnobMode(VstInt32 mode) = 0;
};

class AudioEffect {
 public:
  AudioEffect(AudioMasterCallback audioMaster, VstInt32 programCount, VstInt32 paramCount);
  virtual ~AudioEffect();
  AudioEffect(const AudioEffect&) = delete;
  AudioEffect& operator=(const AudioEffect&) = delete;

  // Answers the host's opcodes 0 to 24, and 0 for any other.
  virtual VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                             float opt);

  virtual void Open() {}
  virtual void Close() {}
  virtual void Suspend() {}
  virtual void Resume() {}
  virtual void SetSampleRate(float rate) { sampleRate = rate; }
  virtual void SetBlockSize(VstInt32 size) { blockSize = size; }

  virtual void ProcessReplacing(float** inputs, float** outputs, VstInt32 frames) = 0;
  virtual void ProcessDoubleReplacing(double**, double**, VstInt32) {}
  virtual void Process(float**, float**, VstInt32) {}

  virtual void SetParameter(VstInt32, float) {}
  virtual float GetParameter(VstInt32) { return 0.0f; }
  // Sets the parameter, then tells the host that the user changed it.
  virtual void SetParameterAutomated(VstInt32 index, float value);

  virtual VstInt32 GetProgram() { return curProgram; }
  virtual void SetProgram(VstInt32 program) { curProgram = program; }
  virtual void SetProgramName(char*) {}
  virtual void GetProgramName(char* name) { name[0] = 0; }
  virtual void GetParameterLabel(VstInt32, char* label) { label[0] = 0; }
  virtual void GetParameterDisplay(VstInt32, char* text) { text[0] = 0; }
  virtual void GetParameterName(VstInt32, char* text) { text[0] = 0; }
  virtual VstInt32 GetChunk(void**, bool) { return 0; }
  virtual VstInt32 SetChunk(void*, VstInt32, bool) { return 0; }

  virtual void SetUniqueId(VstInt32 id) { effect.uniqueID = id; }
  virtual void SetNumInputs(VstInt32 count) { effect.numInputs = count; }
  virtual void SetNumOutputs(VstInt32 count) { effect.numOutputs = count; }
  virtual void SetCanProcessReplacing(bool state) { SetEffectFlag(kEffFlagsCanReplacing, state); }
  virtual void SetCanDoubleReplacing(bool state) {
    SetEffectFlag(kEffFlagsCanDoubleReplacing, state);
  }
  virtual void SetProgramsAreChunks(bool state) { SetEffectFlag(kEffFlagsProgramChunks, state); }
  virtual void SetInitialDelay(VstInt32 delay) { effect.initialDelay = delay; }
  virtual void SetCanMono(bool state) { SetEffectFlag(kEffFlagsCanMono, state); }
  virtual void SetHasClip(bool state) { SetEffectFlag(kEffFlagsHasClip, state); }
  virtual void SetHasVu(bool state) { SetEffectFlag(kEffFlagsHasVu, state); }
  virtual void SetRealtimeQualities(VstInt32 qualities) { effect.realQualities = qualities; }
  virtual void SetOfflineQualities(VstInt32 qualities) { effect.offQualities = qualities; }

  virtual EffectEditor* GetEditor() { return editor; }
  virtual AEffect* GetAeffect() { return &effect; }
  virtual float GetSampleRate() { return sampleRate; }
  virtual VstInt32 GetBlockSize() { return blockSize; }
  virtual float GetVu() { return 0.0f; }

  // Host-callback requests (audioMaster opcodes 1 to 4).
  virtual VstInt32 GetMasterVersion();
  virtual VstInt32 GetCurrentUniqueId();
  virtual void CallMasterIdle();
  virtual bool IsInputConnected(VstInt32 input);
  virtual bool IsOutputConnected(VstInt32 output);

  // Parameter-display texts. `maxLen` counts characters: the text gets at most maxLen of them
  // and a terminating zero, so `text` must hold maxLen + 1 bytes.
  virtual void FormatDecibels(float value, char* text, VstInt32 maxLen);
  virtual void FormatHertz(float samples, char* text, VstInt32 maxLen);
  virtual void FormatMilliseconds(float samples, char* text, VstInt32 maxLen);
  virtual void FormatFloat(float value, char* text, VstInt32 maxLen);
  virtual void FormatInteger(VstInt32 value, char* text, VstInt32 maxLen);

 protected:
  void SetEffectFlag(VstInt32 bit, bool state);
  VstIntPtr CallHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                     void* ptr = nullptr, float opt = 0.0f);

  AudioMasterCallback hostCallback;  // null allowed
  EffectEditor* editor = nullptr;
  float sampleRate = 44100.0f;
  VstInt32 blockSize = 1024;
  VstInt32 numPrograms;
  VstInt32 numParams;
  VstInt32 curProgram = 0;
  AEffect effect;  // the record the host holds
};

// The entry functions stored in the record: each finds the object through effect->object.
// Closing (kEffClose) runs the object's Close, then destroys the object.
VstIntPtr DispatchEffectEntry(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                              void* ptr, float opt);
void ProcessEntry(AEffect* effect, float** inputs, float** outputs, VstInt32 frames);
void ProcessReplacingEntry(AEffect* effect, float** inputs, float** outputs, VstInt32 frames);
void ProcessDoubleReplacingEntry(AEffect* effect, double** inputs, double** outputs,
                                 VstInt32 frames);
void SetParameterEntry(AEffect* effect, VstInt32 index, float value);
float GetParameterEntry(AEffect* effect, VstInt32 index);
