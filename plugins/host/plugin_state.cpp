#include "plugins/host/plugin_state.h"

#include "platform/audiounit/audio_unit.h"
#include "platform/text/core_foundation.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/vst_dispatch.h"
#include "plugins/host/vst_host_callback.h"

namespace {

constexpr OSStatus kParamErr = -50;
constexpr VstInt32 kBankChunk = 0;
constexpr VstInt32 kProgramChunk = 1;

// The last class information saved; its bytes stay valid until the next save.
CFDataRef gClassInfoData = nullptr;

void ReleaseClassInfoData() {
  if (gClassInfoData != nullptr) CFRelease(gClassInfoData);
  gClassInfoData = nullptr;
}

int32_t SaveUnitClassInfo(PluginInstance* instance, const void** data) {
  ReleaseClassInfoData();
  CFDataRef state = nullptr;
  uint32_t size = sizeof state;
  if (AudioUnitGetProperty(instance->unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global,
                           0, &state, &size) != noErr || state == nullptr)
    return 0;
  gClassInfoData = state;
  *data = CFDataGetBytePtr(state);
  return int32_t(CFDataGetLength(state));
}

OSStatus RestoreUnitClassInfo(PluginInstance* instance, const void* data, int32_t length) {
  CFDataRef state = CFDataCreate(nullptr, static_cast<const UInt8*>(data), length);
  if (state == nullptr) return kParamErr;
  uint16_t quiet = instance->stateFlags & kPluginStateNoRefresh;
  instance->stateFlags |= kPluginStateNoRefresh;
  OSStatus err = AudioUnitSetProperty(instance->unit, kAudioUnitProperty_ClassInfo,
                                      kAudioUnitScope_Global, 0, &state, sizeof state);
  instance->stateFlags = uint16_t((instance->stateFlags & ~kPluginStateNoRefresh) | quiet);
  CFRelease(state);
  return err;
}

}  // namespace

int32_t SavePluginClassInfo(PluginInstance* instance, const void** data, bool bank) {
  *data = nullptr;
  if (instance == nullptr) return 0;
  if (instance->effect == nullptr) return SaveUnitClassInfo(instance, data);
  void* chunk = nullptr;
  VstIntPtr length = CallVstDispatcher(instance, kEffGetChunk, bank ? kBankChunk : kProgramChunk,
                                       0, &chunk, 0.0f);
  if (length <= 0 || chunk == nullptr || length > INT32_MAX) return 0;
  *data = chunk;
  return int32_t(length);
}

OSStatus RestorePluginClassInfo(PluginInstance* instance, const void* data, int32_t length,
                                bool bank) {
  if (instance == nullptr || data == nullptr || length <= 0) return kParamErr;
  if (instance->effect == nullptr) return RestoreUnitClassInfo(instance, data, length);
  CallVstDispatcher(instance, kEffSetChunk, bank ? kBankChunk : kProgramChunk, length,
                    const_cast<void*>(data), 0.0f);
  return noErr;
}

OSStatus RestorePluginState(PluginInstance* instance, const void* data, int32_t length,
                            bool bank) {
  OSStatus err = RestorePluginClassInfo(instance, data, length, bank);
  RefreshVstParameterCount(instance);
  return err;
}
