// The extended plug-in base: opcodes 25 to 79 as virtual operations with their default
// answers, the remaining host-callback requests, speaker arrangements and the flag setters of
// the extended interface. An instrument derives from it and overrides what it needs.
#pragma once

#include "click/audio_effect.h"

class AudioEffectX : public AudioEffect {
 public:
  AudioEffectX(AudioMasterCallback audioMaster, VstInt32 programCount, VstInt32 paramCount)
      : AudioEffect(audioMaster, programCount, paramCount) {}
  ~AudioEffectX() override = default;

  // Answers opcodes 25 to 79; every other opcode goes to AudioEffect::Dispatch.
  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                     float opt) override;
  // Asks the host for MIDI, unless the plug-in is no synth and cannot take MIDI events.
  void Resume() override;

  // ---- operations the host reaches through the dispatcher
  virtual bool CanParameterBeAutomated(VstInt32) { return true; }
  virtual bool SetParameterFromString(VstInt32, char*) { return false; }
  virtual bool GetParameterProperties(VstInt32, VstParameterProperties*) { return false; }
  virtual bool GetProgramNameIndexed(VstInt32, VstInt32, char*) { return false; }
  virtual VstInt32 BeginSetProgram() { return 0; }
  virtual VstInt32 EndSetProgram() { return 0; }
  virtual VstInt32 BeginLoadBank(VstPatchChunkInfo*) { return 0; }
  virtual VstInt32 BeginLoadProgram(VstPatchChunkInfo*) { return 0; }
  virtual bool GetInputProperties(VstInt32, VstPinProperties*) { return false; }
  virtual bool GetOutputProperties(VstInt32, VstPinProperties*) { return false; }
  virtual bool SetSpeakerArrangement(VstSpeakerArrangement*, VstSpeakerArrangement*) {
    return false;
  }
  // Sets both arrangement pointers to null.
  virtual bool GetSpeakerArrangement(VstSpeakerArrangement** input,
                                     VstSpeakerArrangement** output);
  virtual bool SetBypass(bool) { return false; }
  virtual bool SetPanLaw(VstInt32, float) { return false; }
  virtual bool SetProcessPrecision(VstInt32) { return false; }
  virtual VstInt32 GetNumMidiInputChannels() { return 0; }
  virtual VstInt32 GetNumMidiOutputChannels() { return 0; }
  virtual VstInt32 ProcessEvents(VstEvents*) { return 0; }
  virtual VstInt32 StartProcess() { return 0; }
  virtual VstInt32 StopProcess() { return 0; }
  virtual bool ProcessVariableIo(VstVariableIo*) { return false; }
  virtual VstInt32 SetTotalSampleToProcess(VstInt32 value) { return value; }
  virtual VstInt32 GetTailSize() { return 0; }
  virtual bool GetEffectName(char*) { return false; }
  virtual bool GetVendorString(char*) { return false; }
  virtual bool GetProductString(char*) { return false; }
  virtual VstInt32 GetVendorVersion() { return 0; }
  virtual VstIntPtr HandleVendorSpecific(VstInt32, VstIntPtr, void*, float) { return 0; }
  // 1 yes, -1 no, 0 do not know.
  virtual VstInt32 CanDo(char*) { return 0; }
  virtual VstInt32 GetVstVersion() { return kVstVersion; }
  virtual VstInt32 GetPlugCategory();
  virtual VstInt32 GetMidiProgramName(VstInt32, MidiProgramName*) { return 0; }
  virtual VstInt32 GetCurrentMidiProgram(VstInt32, MidiProgramName*) { return -1; }
  virtual VstInt32 GetMidiProgramCategory(VstInt32, MidiProgramCategory*) { return 0; }
  virtual bool HasMidiProgramsChanged(VstInt32) { return false; }
  virtual bool GetMidiKeyName(VstInt32, MidiKeyName*) { return false; }
  virtual VstInt32 GetNextShellPlugin(char*) { return 0; }
  virtual bool OfflineNotify(VstAudioFile*, VstInt32, bool) { return false; }
  virtual bool OfflinePrepare(VstOfflineTask*, VstInt32) { return false; }
  virtual bool OfflineRun(VstOfflineTask*, VstInt32) { return false; }
  virtual VstInt32 OfflineGetNumPasses() { return 0; }
  virtual VstInt32 OfflineGetNumMetaPasses() { return 0; }
  virtual VstInt32 GetNumCategories() { return 1; }
  virtual bool CopyProgram(VstInt32) { return false; }
  virtual void ConnectInput(VstInt32, bool) {}
  virtual void ConnectOutput(VstInt32, bool) {}
  virtual VstInt32 ReportCurrentPosition() { return 0; }
  virtual float* ReportDestinationBuffer() { return nullptr; }
  // Stores both, without running SetSampleRate.
  virtual void SetBlockSizeAndSampleRate(VstInt32 size, float rate) {
    blockSize = size;
    sampleRate = rate;
  }
  virtual bool GetErrorText(char*) { return false; }
  virtual void* GetIcon() { return nullptr; }
  virtual bool SetViewPosition(VstInt32, VstInt32) { return false; }
  virtual VstInt32 IdleEffect() { return 0; }
  virtual bool KeysRequired() { return false; }

  // ---- flag setters
  virtual void SetIsSynth(bool state) { SetEffectFlag(kEffFlagsIsSynth, state); }
  virtual void SetNoTail(bool state) { SetEffectFlag(kEffFlagsNoSoundInStop, state); }
  virtual void SetIsAsynchronous(bool state) { SetEffectFlag(kEffFlagsExtIsAsync, state); }
  virtual void SetHasExternalBuffer(bool state) { SetEffectFlag(kEffFlagsExtHasBuffer, state); }

  // ---- host-callback requests
  virtual bool BeginEdit(VstInt32 index);
  virtual bool EndEdit(VstInt32 index);
  virtual bool NotifyIoChanged();
  virtual double UpdateSampleRate();
  virtual VstInt32 UpdateBlockSize();
  virtual VstInt32 GetInputLatency();
  virtual VstInt32 GetOutputLatency();
  virtual VstTimeInfo* GetTimeInfo(VstInt32 filter);
  virtual VstInt32 GetCurrentProcessLevel();
  virtual VstInt32 GetAutomationState();
  virtual bool GetHostVendorString(char* text);
  virtual bool GetHostProductString(char* text);
  virtual VstInt32 GetHostVendorVersion();
  virtual VstIntPtr CallHostVendorSpecific(VstInt32 index, VstIntPtr value, void* ptr,
                                           float opt);
  virtual VstInt32 CanHostDo(char* text);
  virtual VstInt32 GetHostLanguage();
  // The host's answer to the directory request: on Linux a path of the plug-in's folder.
  virtual char* GetDirectory();
  virtual bool UpdateDisplay();
  virtual bool SizeWindow(VstInt32 width, VstInt32 height);
  virtual bool OpenFileSelector(VstFileSelect* selector);
  virtual bool CloseFileSelector(VstFileSelect* selector);
  virtual bool OfflineRead(VstOfflineTask* task, VstInt32 option, bool readSource);
  virtual bool OfflineWrite(VstOfflineTask* task, VstInt32 option);
  virtual bool OfflineStart(VstAudioFile* files, VstInt32 count, VstInt32 newCount);
  virtual VstInt32 OfflineGetCurrentPass();
  virtual VstInt32 OfflineGetCurrentMetaPass();
  virtual bool WantEvents(VstInt32 filter = 1);
  virtual VstInt32 GetTempoAt(VstInt32 position);
  virtual VstInt32 GetNumAutomatableParameters();
  virtual VstInt32 GetParameterQuantization();
  virtual bool NeedIdle();
  virtual AEffect* GetPreviousPlug(VstInt32 input);
  virtual AEffect* GetNextPlug(VstInt32 output);
  virtual VstInt32 WillProcessReplacing();
  virtual bool SetOutputSampleRate(float rate);
  virtual VstSpeakerArrangement* GetOutputSpeakerArrangement();
  virtual VstSpeakerArrangement* GetInputSpeakerArrangement();
  virtual void* OpenWindow(VstWindow* window);
  virtual bool CloseWindow(VstWindow* window);
  virtual bool GetChunkFile(void* nativePath);

  // ---- speaker arrangements (speaker_arrangements.cpp)
  // Replaces *arrangement with a zeroed one for `channels` speakers.
  virtual bool AllocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 channels);
  virtual bool DeallocateArrangement(VstSpeakerArrangement** arrangement);
  virtual bool CopySpeaker(VstSpeakerProperties* to, const VstSpeakerProperties* from);
  virtual bool MatchArrangement(VstSpeakerArrangement** to, const VstSpeakerArrangement* from);

 private:
  VstIntPtr DispatchEditorKey(VstInt32 opcode, VstInt32 index, VstIntPtr value, float opt);
};
