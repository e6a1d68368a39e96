// Unit properties: what each answers, where it may be asked (scope and element), its size,
// whether it may be set, and setting it. Sample rate and maximum frames changed while the
// unit is initialised instantiate the plug-in again, keeping its state.
#include <cmath>
#include <cstring>

#include "platform/audiounit/audio_unit_instance.h"
#include "platform/audiounit/audio_unit_parameter_properties.h"

namespace {

constexpr uint32_t kMostFramesPerSlice = 65536;
constexpr Float64 kHighestRate = 1536000.0;

uint32_t BusCount(const AudioUnitInstance* u, AudioUnitScope scope) {
  if (scope == kAudioUnitScope_Input) return u->audioIn.empty() ? 0 : 1;
  return 1;
}

// Scope and element of a per-bus property.
OSStatus CheckBus(const AudioUnitInstance* u, AudioUnitScope scope, AudioUnitElement element, bool globalToo) {
  if (scope == kAudioUnitScope_Global) return globalToo ? OSStatus(noErr) : OSStatus(kAudioUnitErr_InvalidScope);
  if (scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output) return kAudioUnitErr_InvalidScope;
  return element < BusCount(u, scope) ? OSStatus(noErr) : OSStatus(kAudioUnitErr_InvalidElement);
}

OSStatus CheckGlobal(AudioUnitScope scope) {
  return scope == kAudioUnitScope_Global ? OSStatus(noErr) : OSStatus(kAudioUnitErr_InvalidScope);
}

// The size and writability of a property of this unit, or why it is not one.
OSStatus Shape(const AudioUnitInstance* u, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
               uint32_t* size, bool* writable) {
  *writable = true;
  switch (id) {
    case kAudioUnitProperty_ClassInfo: *size = sizeof(CFDataRef); return CheckGlobal(scope);
    case kAudioUnitProperty_SampleRate: *size = sizeof(Float64); return CheckBus(u, scope, element, true);
    case kAudioUnitProperty_StreamFormat: *size = sizeof(AudioStreamBasicDescription); return CheckBus(u, scope, element, false);
    case kAudioUnitProperty_MaximumFramesPerSlice: *size = sizeof(uint32_t); return CheckGlobal(scope);
    case kAudioUnitProperty_SetRenderCallback:
      *size = sizeof(AURenderCallbackStruct);
      return scope == kAudioUnitScope_Input ? CheckBus(u, scope, element, false) : kAudioUnitErr_InvalidScope;
    case kAudioUnitProperty_SetInputCallback:
      *size = sizeof(AURenderCallbackStruct);
      return scope == kAudioUnitScope_Input ? CheckBus(u, scope, element, false) : kAudioUnitErr_InvalidScope;
    case kAudioUnitProperty_HostCallbacks: *size = sizeof(HostCallbackInfo); return CheckGlobal(scope);
    case kAudioUnitProperty_BypassEffect:
    case kAudioUnitProperty_RenderQuality:
    case kAudioUnitProperty_OfflineRender: *size = sizeof(uint32_t); return CheckGlobal(scope);
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset: *size = sizeof(AUPreset); return CheckGlobal(scope);
    default: break;
  }
  *writable = false;
  switch (id) {
    case kAudioUnitProperty_ParameterList: *size = ParameterListSize(u, scope); return noErr;
    case kAudioUnitProperty_ParameterInfo: *size = sizeof(AudioUnitParameterInfo); return CheckGlobal(scope);
    case kAudioUnitProperty_ElementCount: *size = sizeof(uint32_t); return noErr;
    case kAudioUnitProperty_Latency: *size = sizeof(Float64); return CheckGlobal(scope);
    case kAudioUnitProperty_SupportedNumChannels: *size = sizeof(AUChannelInfo); return CheckGlobal(scope);
    case kAudioUnitProperty_ParameterValueStrings: *size = sizeof(CFArrayRef); return CheckGlobal(scope);
    case kAudioUnitProperty_FastDispatch:
      *size = sizeof(void*);
      return FastDispatchProcedure(element) != nullptr ? CheckGlobal(scope) : kAudioUnitErr_InvalidElement;
    case kAudioUnitProperty_ParameterStringFromValue:
      *size = sizeof(AudioUnitParameterStringFromValue);
      return CheckGlobal(scope);
    case kAudioUnitProperty_ParameterValueFromString:
      *size = sizeof(AudioUnitParameterValueFromString);
      return CheckGlobal(scope);
    case kAudioUnitProperty_FactoryPresets:
      *size = sizeof(CFArrayRef);
      return u->presets.empty() ? kAudioUnitErr_InvalidProperty : CheckGlobal(scope);
    default: return kAudioUnitErr_InvalidProperty;
  }
}

template <typename T>
void Put(void* data, T value) {
  std::memcpy(data, &value, sizeof value);
}

template <typename T>
T Take(const void* data) {
  T value;
  std::memcpy(&value, data, sizeof value);
  return value;
}

AudioStreamBasicDescription StreamFormat(const AudioUnitInstance* u, AudioUnitScope scope) {
  AudioStreamBasicDescription f;
  f.mSampleRate = u->sampleRate;
  f.mFormatID = kAudioFormatLinearPCM;
  f.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
  f.mBytesPerPacket = f.mBytesPerFrame = sizeof(float);
  f.mFramesPerPacket = 1;
  f.mChannelsPerFrame = UInt32(scope == kAudioUnitScope_Input ? u->audioIn.size() : u->audioOut.size());
  f.mBitsPerChannel = 32;
  return f;
}

Float64 LatencySeconds(const AudioUnitInstance* u) {
  if (u->latencyPort < 0 || u->sampleRate <= 0) return 0.0;
  float frames = u->values[uint32_t(u->latencyPort)].load(std::memory_order_relaxed);
  return std::isfinite(frames) && frames > 0 ? Float64(frames) / u->sampleRate : 0.0;
}

OSStatus GetValue(AudioUnit unit, AudioUnitInstance* u, AudioUnitPropertyID id, AudioUnitScope scope,
                  AudioUnitElement element, void* data) {
  switch (id) {
    case kAudioUnitProperty_ClassInfo: {
      CFDataRef bytes = nullptr;
      OSStatus status = CopyClassInfo(unit, &bytes);
      if (status == noErr) Put(data, bytes);
      return status;
    }
    case kAudioUnitProperty_SampleRate: Put(data, Float64(u->sampleRate)); return noErr;
    case kAudioUnitProperty_ParameterList: CopyParameterList(u, scope, static_cast<AudioUnitParameterID*>(data)); return noErr;
    case kAudioUnitProperty_ParameterInfo: {
      AudioUnitParameterInfo info;
      OSStatus status = FillParameterInfo(u, scope, element, &info);
      if (status == noErr) Put(data, info);
      return status;
    }
    case kAudioUnitProperty_StreamFormat: Put(data, StreamFormat(u, scope)); return noErr;
    case kAudioUnitProperty_ElementCount: Put(data, BusCount(u, scope)); return noErr;
    case kAudioUnitProperty_Latency: Put(data, LatencySeconds(u)); return noErr;
    case kAudioUnitProperty_SupportedNumChannels:
      Put(data, AUChannelInfo{int16_t(u->audioIn.size()), int16_t(u->audioOut.size())});
      return noErr;
    case kAudioUnitProperty_MaximumFramesPerSlice: Put(data, u->maxFrames); return noErr;
    case kAudioUnitProperty_ParameterValueStrings: {
      CFArrayRef strings = nullptr;
      OSStatus status = CopyParameterValueStrings(u, scope, element, &strings);
      if (status == noErr) Put(data, strings);
      return status;
    }
    case kAudioUnitProperty_BypassEffect: Put(data, u->bypass.load(std::memory_order_relaxed)); return noErr;
    case kAudioUnitProperty_SetRenderCallback: Put(data, u->renderCallback); return noErr;
    case kAudioUnitProperty_SetInputCallback: Put(data, u->inputCallback); return noErr;
    case kAudioUnitProperty_FastDispatch: Put(data, FastDispatchProcedure(element)); return noErr;
    case kAudioUnitProperty_ParameterStringFromValue:
      return ParameterStringFromValue(u, scope, static_cast<AudioUnitParameterStringFromValue*>(data));
    case kAudioUnitProperty_ParameterValueFromString:
      return ParameterValueFromString(u, scope, static_cast<AudioUnitParameterValueFromString*>(data));
    case kAudioUnitProperty_FactoryPresets: {
      std::vector<const void*> presets;
      for (const AUPreset& p : u->presets) presets.push_back(&p);
      Put(data, CFArrayCreate(kCFAllocatorDefault, presets.data(), CFIndex(presets.size()), nullptr));
      return noErr;
    }
    case kAudioUnitProperty_RenderQuality: Put(data, u->renderQuality); return noErr;
    case kAudioUnitProperty_HostCallbacks: Put(data, u->hostCallbacks); return noErr;
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset: Put(data, u->currentPreset); return noErr;
    case kAudioUnitProperty_OfflineRender: Put(data, u->offlineRender); return noErr;
    default: return kAudioUnitErr_InvalidProperty;
  }
}

// Applies a change that the LV2 instance is made for (rate, block size), instantiating the
// plug-in again when it is initialised.
OSStatus Reinstantiate(AudioUnit unit, Float64 rate, uint32_t frames) {
  AudioUnitInstance* u = AcquireAudioUnit(unit);
  if (u == nullptr) return kAudioUnitErr_CannotDoInCurrentContext;
  OSStatus status = noErr;
  if (rate != u->sampleRate || frames != u->maxFrames) {
    bool wasInitialized = u->initialized;
    FreeLv2(u);
    u->sampleRate = rate;
    u->maxFrames = frames;
    if (wasInitialized) status = InstantiateLv2(u);
  }
  ReleaseAudioUnit(unit);
  return status;
}

OSStatus SetStreamFormat(AudioUnit unit, AudioUnitInstance* u, AudioUnitScope scope, const void* data) {
  auto f = Take<AudioStreamBasicDescription>(data);
  AudioStreamBasicDescription mine = StreamFormat(u, scope);
  bool floatNonInterleaved = (f.mFormatFlags & (kAudioFormatFlagIsFloat | kAudioFormatFlagIsNonInterleaved)) ==
                             (kAudioFormatFlagIsFloat | kAudioFormatFlagIsNonInterleaved);
  if (f.mFormatID != kAudioFormatLinearPCM || !floatNonInterleaved || f.mBitsPerChannel != 32 ||
      f.mChannelsPerFrame != mine.mChannelsPerFrame || (f.mFormatFlags & kAudioFormatFlagIsBigEndian) != 0)
    return kAudioUnitErr_FormatNotSupported;
  if (f.mSampleRate == kAudioStreamAnyRate) return noErr;
  if (!(f.mSampleRate > 0 && f.mSampleRate <= kHighestRate)) return kAudioUnitErr_InvalidPropertyValue;
  return Reinstantiate(unit, f.mSampleRate, u->maxFrames);
}

// The render asks the callbacks: they change only while no render runs.
OSStatus SetHostCallbacks(AudioUnit unit, const void* data, uint32_t size) {
  constexpr uint32_t kLeast = offsetof(HostCallbackInfo, musicalTimeLocationProc);
  if (size < kLeast) return kAudioUnitErr_InvalidPropertyValue;
  HostCallbackInfo info;
  std::memcpy(&info, data, std::min<size_t>(size, sizeof info));
  AudioUnitInstance* held = AcquireAudioUnit(unit);
  if (held == nullptr) return kAudioUnitErr_CannotDoInCurrentContext;
  held->hostCallbacks = info;
  ReleaseAudioUnit(unit);
  return noErr;
}

OSStatus SetValue(AudioUnit unit, AudioUnitInstance* u, AudioUnitPropertyID id, AudioUnitScope scope,
                  const void* data, uint32_t size) {
  switch (id) {
    case kAudioUnitProperty_ClassInfo: return SetClassInfo(unit, Take<CFDataRef>(data));
    case kAudioUnitProperty_SampleRate: {
      auto rate = Take<Float64>(data);
      if (!(rate > 0 && rate <= kHighestRate)) return kAudioUnitErr_InvalidPropertyValue;
      return Reinstantiate(unit, rate, u->maxFrames);
    }
    case kAudioUnitProperty_StreamFormat: return SetStreamFormat(unit, u, scope, data);
    case kAudioUnitProperty_MaximumFramesPerSlice: {
      auto frames = Take<uint32_t>(data);
      if (frames == 0 || frames > kMostFramesPerSlice) return kAudioUnitErr_InvalidPropertyValue;
      return Reinstantiate(unit, u->sampleRate, frames);
    }
    case kAudioUnitProperty_SetRenderCallback: {
      AudioUnitInstance* held = AcquireAudioUnit(unit);  // not while a render pulls through it
      if (held == nullptr) return kAudioUnitErr_CannotDoInCurrentContext;
      held->renderCallback = Take<AURenderCallbackStruct>(data);
      ReleaseAudioUnit(unit);
      return noErr;
    }
    case kAudioUnitProperty_SetInputCallback: {
      AudioUnitInstance* held = AcquireAudioUnit(unit);
      if (held == nullptr) return kAudioUnitErr_CannotDoInCurrentContext;
      held->inputCallback = Take<AURenderCallbackStruct>(data);
      ReleaseAudioUnit(unit);
      return noErr;
    }
    case kAudioUnitProperty_HostCallbacks: return SetHostCallbacks(unit, data, size);
    case kAudioUnitProperty_BypassEffect:
      u->bypass.store(Take<uint32_t>(data) != 0 ? 1 : 0, std::memory_order_relaxed);
      return noErr;
    case kAudioUnitProperty_RenderQuality: u->renderQuality = std::min<uint32_t>(Take<uint32_t>(data), 127); return noErr;
    case kAudioUnitProperty_OfflineRender: u->offlineRender = Take<uint32_t>(data) != 0 ? 1 : 0; return noErr;
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset: return ChoosePreset(unit, Take<AUPreset>(data).presetNumber);
    default: return kAudioUnitErr_InvalidProperty;
  }
}

// The open unit and the shape of its property, or why there is none.
OSStatus LookUp(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                AudioUnitInstance** u, uint32_t* size, bool* writable) {
  *u = FindAudioUnit(unit);
  if (*u == nullptr) return badComponentInstance;
  return Shape(*u, id, scope, element, size, writable);
}

}  // namespace

OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                  AudioUnitElement element, uint32_t* size, Boolean* writable) {
  AudioUnitInstance* u;
  uint32_t n = 0;
  bool w = false;
  OSStatus status = LookUp(unit, id, scope, element, &u, &n, &w);
  if (status != noErr) return status;
  if (size != nullptr) *size = n;
  if (writable != nullptr) *writable = w;
  return noErr;
}

OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                              void* data, uint32_t* size) {
  AudioUnitInstance* u;
  uint32_t n = 0;
  bool writable = false;
  OSStatus status = LookUp(unit, id, scope, element, &u, &n, &writable);
  if (status != noErr) return status;
  if (size == nullptr || (data == nullptr && n > 0) || *size < n) return paramErr;
  status = GetValue(unit, u, id, scope, element, data);
  if (status == noErr) *size = n;
  return status;
}

OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                              const void* data, uint32_t size) {
  AudioUnitInstance* u;
  uint32_t n = 0;
  bool writable = false;
  OSStatus status = LookUp(unit, id, scope, element, &u, &n, &writable);
  if (status != noErr) return status;
  if (!writable) return kAudioUnitErr_PropertyNotWritable;
  if (data == nullptr) return paramErr;
  if (size < n && id != kAudioUnitProperty_HostCallbacks) return kAudioUnitErr_InvalidPropertyValue;
  return SetValue(unit, u, id, scope, data, size);
}

OSStatus AudioUnitAddPropertyListener(AudioUnit unit, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                      void* refCon) {
  AudioUnitInstance* u = FindAudioUnit(unit);
  if (u == nullptr) return badComponentInstance;
  if (proc == nullptr) return paramErr;
  u->listeners.push_back({id, proc, refCon});
  return noErr;
}
