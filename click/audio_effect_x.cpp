#include "click/audio_effect_x.h"

// Opcodes of the extended range that hand the plug-in a text buffer do nothing without one.
static bool NeedsTextX(VstInt32 opcode) {
  return opcode == kEffString2Parameter || opcode == kEffGetProgramNameIndexed ||
         opcode == kEffGetEffectName || opcode == kEffGetErrorText ||
         opcode == kEffGetVendorString || opcode == kEffGetProductString ||
         opcode == kEffCanDo || opcode == kEffShellGetNextPlugin;
}

static VstIntPtr Answer(bool yes) { return yes ? 1 : 0; }

VstIntPtr AudioEffectX::Dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt) {
  if (opcode < kEffProcessEvents || opcode > kEffGetNumMidiOutputChannels)
    return AudioEffect::Dispatch(opcode, index, value, ptr, opt);
  if (NeedsTextX(opcode) && !ptr) return 0;
  char* text = static_cast<char*>(ptr);
  VstInt32 v = static_cast<VstInt32>(value);
  switch (opcode) {
    case kEffProcessEvents: return ProcessEvents(static_cast<VstEvents*>(ptr));
    case kEffCanBeAutomated: return Answer(CanParameterBeAutomated(index));
    case kEffString2Parameter: return Answer(SetParameterFromString(index, text));
    case kEffGetNumProgramCategories: return GetNumCategories();
    case kEffGetProgramNameIndexed: return Answer(GetProgramNameIndexed(v, index, text));
    case kEffCopyProgram: return Answer(CopyProgram(index));
    case kEffConnectInput: ConnectInput(index, value != 0); return 1;
    case kEffConnectOutput: ConnectOutput(index, value != 0); return 1;
    case kEffGetInputProperties:
      return Answer(GetInputProperties(index, static_cast<VstPinProperties*>(ptr)));
    case kEffGetOutputProperties:
      return Answer(GetOutputProperties(index, static_cast<VstPinProperties*>(ptr)));
    case kEffGetPlugCategory: return GetPlugCategory();
    case kEffGetCurrentPosition: return ReportCurrentPosition();
    case kEffGetDestinationBuffer: return reinterpret_cast<VstIntPtr>(ReportDestinationBuffer());
    case kEffOfflineNotify:
      return Answer(OfflineNotify(static_cast<VstAudioFile*>(ptr), v, index != 0));
    case kEffOfflinePrepare: return Answer(OfflinePrepare(static_cast<VstOfflineTask*>(ptr), v));
    case kEffOfflineRun: return Answer(OfflineRun(static_cast<VstOfflineTask*>(ptr), v));
    case kEffProcessVarIo: return Answer(ProcessVariableIo(static_cast<VstVariableIo*>(ptr)));
    case kEffSetSpeakerArrangement:
      return Answer(SetSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                          static_cast<VstSpeakerArrangement*>(ptr)));
    case kEffSetBlockSizeAndSampleRate: SetBlockSizeAndSampleRate(v, opt); return 1;
    case kEffSetBypass: return Answer(SetBypass(value != 0));
    case kEffGetEffectName: return Answer(GetEffectName(text));
    case kEffGetErrorText: return Answer(GetErrorText(text));
    case kEffGetVendorString: return Answer(GetVendorString(text));
    case kEffGetProductString: return Answer(GetProductString(text));
    case kEffGetVendorVersion: return GetVendorVersion();
    case kEffVendorSpecific: return HandleVendorSpecific(index, value, ptr, opt);
    case kEffCanDo: return CanDo(text);
    case kEffGetTailSize: return GetTailSize();
    case kEffIdle: return IdleEffect();
    case kEffGetIcon: return reinterpret_cast<VstIntPtr>(GetIcon());
    case kEffSetViewPosition: return Answer(SetViewPosition(index, v));
    case kEffGetParameterProperties:
      return Answer(GetParameterProperties(index, static_cast<VstParameterProperties*>(ptr)));
    case kEffKeysRequired: return Answer(!KeysRequired());
    case kEffGetVstVersion: return GetVstVersion();
    case kEffEditKeyDown:
    case kEffEditKeyUp:
    case kEffSetEditKnobMode: return DispatchEditorKey(opcode, index, value, opt);
    case kEffGetMidiProgramName:
      return GetMidiProgramName(index, static_cast<MidiProgramName*>(ptr));
    case kEffGetCurrentMidiProgram:
      return GetCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr));
    case kEffGetMidiProgramCategory:
      return GetMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr));
    case kEffHasMidiProgramsChanged: return Answer(HasMidiProgramsChanged(index));
    case kEffGetMidiKeyName: return Answer(GetMidiKeyName(index, static_cast<MidiKeyName*>(ptr)));
    case kEffBeginSetProgram: return BeginSetProgram();
    case kEffEndSetProgram: return EndSetProgram();
    case kEffGetSpeakerArrangement:
      return Answer(GetSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                          static_cast<VstSpeakerArrangement**>(ptr)));
    case kEffShellGetNextPlugin: return GetNextShellPlugin(text);
    case kEffStartProcess: return StartProcess();
    case kEffStopProcess: return StopProcess();
    case kEffSetTotalSampleToProcess: return SetTotalSampleToProcess(v);
    case kEffSetPanLaw: return Answer(SetPanLaw(v, opt));
    case kEffBeginLoadBank: return BeginLoadBank(static_cast<VstPatchChunkInfo*>(ptr));
    case kEffBeginLoadProgram: return BeginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr));
    case kEffSetProcessPrecision: return Answer(SetProcessPrecision(v));
    case kEffGetNumMidiInputChannels: return GetNumMidiInputChannels();
    case kEffGetNumMidiOutputChannels: return GetNumMidiOutputChannels();
    default: return 0;
  }
}

VstIntPtr AudioEffectX::DispatchEditorKey(VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                          float opt) {
  if (!editor) return 0;
  if (opcode == kEffSetEditKnobMode)
    return Answer(editor->SetKnobMode(static_cast<VstInt32>(value)));
  VstKeyCode key{};
  key.character = index;
  key.virt = static_cast<unsigned char>(value);
  key.modifier = static_cast<unsigned char>(static_cast<VstInt32>(opt));
  return Answer(opcode == kEffEditKeyDown ? editor->KeyDown(key) : editor->KeyUp(key));
}

void AudioEffectX::Resume() {
  if (!(effect.flags & kEffFlagsIsSynth)) {
    char what[] = "receiveVstMidiEvent";
    if (CanDo(what) != 1) return;
  }
  WantEvents(1);
}

VstInt32 AudioEffectX::GetPlugCategory() {
  return (effect.flags & kEffFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

bool AudioEffectX::GetSpeakerArrangement(VstSpeakerArrangement** input,
                                         VstSpeakerArrangement** output) {
  if (input) *input = nullptr;
  if (output) *output = nullptr;
  return false;
}

// ---- host-callback requests

bool AudioEffectX::BeginEdit(VstInt32 index) { return CallHost(kAudioMasterBeginEdit, index) != 0; }
bool AudioEffectX::EndEdit(VstInt32 index) { return CallHost(kAudioMasterEndEdit, index) != 0; }
bool AudioEffectX::NotifyIoChanged() { return CallHost(kAudioMasterIOChanged) != 0; }

double AudioEffectX::UpdateSampleRate() {
  VstIntPtr rate = CallHost(kAudioMasterGetSampleRate);
  if (rate > 0) sampleRate = static_cast<float>(rate);
  return sampleRate;
}

VstInt32 AudioEffectX::UpdateBlockSize() {
  VstIntPtr size = CallHost(kAudioMasterGetBlockSize);
  if (size > 0) blockSize = static_cast<VstInt32>(size);
  return blockSize;
}

VstInt32 AudioEffectX::GetInputLatency() {
  return static_cast<VstInt32>(CallHost(kAudioMasterGetInputLatency));
}
VstInt32 AudioEffectX::GetOutputLatency() {
  return static_cast<VstInt32>(CallHost(kAudioMasterGetOutputLatency));
}

VstTimeInfo* AudioEffectX::GetTimeInfo(VstInt32 filter) {
  return reinterpret_cast<VstTimeInfo*>(CallHost(kAudioMasterGetTime, 0, filter));
}

VstInt32 AudioEffectX::GetCurrentProcessLevel() {
  return static_cast<VstInt32>(CallHost(kAudioMasterGetCurrentProcessLevel));
}
VstInt32 AudioEffectX::GetAutomationState() {
  return static_cast<VstInt32>(CallHost(kAudioMasterGetAutomationState));
}

bool AudioEffectX::GetHostVendorString(char* text) {
  return CallHost(kAudioMasterGetVendorString, 0, 0, text) != 0;
}
bool AudioEffectX::GetHostProductString(char* text) {
  return CallHost(kAudioMasterGetProductString, 0, 0, text) != 0;
}
VstInt32 AudioEffectX::GetHostVendorVersion() {
  return static_cast<VstInt32>(CallHost(kAudioMasterGetVendorVersion));
}
VstIntPtr AudioEffectX::CallHostVendorSpecific(VstInt32 index, VstIntPtr value, void* ptr,
                                               float opt) {
  return CallHost(kAudioMasterVendorSpecific, index, value, ptr, opt);
}
VstInt32 AudioEffectX::CanHostDo(char* text) {
  return static_cast<VstInt32>(CallHost(kAudioMasterCanDo, 0, 0, text));
}
VstInt32 AudioEffectX::GetHostLanguage() {
  return static_cast<VstInt32>(CallHost(kAudioMasterGetLanguage));
}

char* AudioEffectX::GetDirectory() {
  return reinterpret_cast<char*>(CallHost(kAudioMasterGetDirectory));
}

bool AudioEffectX::UpdateDisplay() { return CallHost(kAudioMasterUpdateDisplay) != 0; }
bool AudioEffectX::SizeWindow(VstInt32 width, VstInt32 height) {
  return CallHost(kAudioMasterSizeWindow, width, height) != 0;
}

bool AudioEffectX::OpenFileSelector(VstFileSelect* selector) {
  return selector && CallHost(kAudioMasterOpenFileSelector, 0, 0, selector) != 0;
}
bool AudioEffectX::CloseFileSelector(VstFileSelect* selector) {
  return selector && CallHost(kAudioMasterCloseFileSelector, 0, 0, selector) != 0;
}

bool AudioEffectX::OfflineRead(VstOfflineTask* task, VstInt32 option, bool readSource) {
  return CallHost(kAudioMasterOfflineRead, readSource ? 1 : 0, option, task) != 0;
}
bool AudioEffectX::OfflineWrite(VstOfflineTask* task, VstInt32 option) {
  return CallHost(kAudioMasterOfflineWrite, 0, option, task) != 0;
}
bool AudioEffectX::OfflineStart(VstAudioFile* files, VstInt32 count, VstInt32 newCount) {
  return CallHost(kAudioMasterOfflineStart, newCount, count, files) != 0;
}
VstInt32 AudioEffectX::OfflineGetCurrentPass() {
  return static_cast<VstInt32>(CallHost(kAudioMasterOfflineGetCurrentPass));
}
VstInt32 AudioEffectX::OfflineGetCurrentMetaPass() {
  return static_cast<VstInt32>(CallHost(kAudioMasterOfflineGetCurrentMetaPass));
}

bool AudioEffectX::WantEvents(VstInt32 filter) {
  return CallHost(kAudioMasterWantMidi, 0, filter) != 0;
}
VstInt32 AudioEffectX::GetTempoAt(VstInt32 position) {
  return static_cast<VstInt32>(CallHost(kAudioMasterTempoAt, 0, position));
}
VstInt32 AudioEffectX::GetNumAutomatableParameters() {
  return static_cast<VstInt32>(CallHost(kAudioMasterGetNumAutomatableParameters));
}
VstInt32 AudioEffectX::GetParameterQuantization() {
  return static_cast<VstInt32>(CallHost(kAudioMasterGetParameterQuantization));
}
bool AudioEffectX::NeedIdle() { return CallHost(kAudioMasterNeedIdle) != 0; }

AEffect* AudioEffectX::GetPreviousPlug(VstInt32) {
  return reinterpret_cast<AEffect*>(CallHost(kAudioMasterGetPreviousPlug));
}
AEffect* AudioEffectX::GetNextPlug(VstInt32) {
  return reinterpret_cast<AEffect*>(CallHost(kAudioMasterGetNextPlug));
}
VstInt32 AudioEffectX::WillProcessReplacing() {
  return static_cast<VstInt32>(CallHost(kAudioMasterWillReplaceOrAccumulate));
}
bool AudioEffectX::SetOutputSampleRate(float rate) {
  return CallHost(kAudioMasterSetOutputSampleRate, 0, 0, nullptr, rate) != 0;
}
VstSpeakerArrangement* AudioEffectX::GetOutputSpeakerArrangement() {
  return reinterpret_cast<VstSpeakerArrangement*>(
      CallHost(kAudioMasterGetOutputSpeakerArrangement));
}
VstSpeakerArrangement* AudioEffectX::GetInputSpeakerArrangement() {
  return reinterpret_cast<VstSpeakerArrangement*>(
      CallHost(kAudioMasterGetInputSpeakerArrangement));
}
void* AudioEffectX::OpenWindow(VstWindow* window) {
  return reinterpret_cast<void*>(CallHost(kAudioMasterOpenWindow, 0, 0, window));
}
bool AudioEffectX::CloseWindow(VstWindow* window) {
  return CallHost(kAudioMasterCloseWindow, 0, 0, window) != 0;
}
bool AudioEffectX::GetChunkFile(void* nativePath) {
  return nativePath && CallHost(kAudioMasterGetChunkFile, 0, 0, nativePath) != 0;
}
