#include "plugins/host/plugin_state.h"

#include <climits>
#include <string>
#include <vector>

#include "platform/audiounit/audio_unit.h"
#include "platform/text/core_foundation.h"
#include "platform/text/property_list_xml.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/host/vst_dispatch.h"
#include "plugins/host/vst_host_callback.h"

namespace {

constexpr OSStatus kParamErr = -50;
constexpr VstInt32 kBankChunk = 0;
constexpr VstInt32 kProgramChunk = 1;
constexpr const char* kClassInfoData = "data";

// The last class information saved; its bytes stay valid until the next save.
CFDataRef gClassInfoData = nullptr;

void ReleaseClassInfoData() {
  if (gClassInfoData != nullptr) CFRelease(gClassInfoData);
  gClassInfoData = nullptr;
}

// The class information as an XML property list: the unit's state with the component it
// belongs to.
std::string ClassInfoXML(const PluginInstance* instance, CFDataRef state) {
  const ComponentDescription& d = instance->description;
  std::vector<PropertyListEntry> entries(5);
  entries[0] = {kClassInfoData, true,
                std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(state)), size_t(CFDataGetLength(state))), 0};
  entries[1] = {"manufacturer", false, std::string(), d.componentManufacturer};
  entries[2] = {"subtype", false, std::string(), d.componentSubType};
  entries[3] = {"type", false, std::string(), d.componentType};
  entries[4] = {"version", false, std::string(), 0};
  return WritePropertyListXML(entries);
}

int32_t SaveUnitClassInfo(PluginInstance* instance, const void** data) {
  ReleaseClassInfoData();
  CFDataRef state = nullptr;
  uint32_t size = sizeof state;
  if (AudioUnitGetProperty(instance->unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global,
                           0, &state, &size) != noErr || state == nullptr)
    return 0;
  std::string xml = ClassInfoXML(instance, state);
  CFRelease(state);
  if (xml.empty() || xml.size() > INT32_MAX) return 0;
  gClassInfoData = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(xml.data()), CFIndex(xml.size()));
  if (gClassInfoData == nullptr) return 0;
  *data = CFDataGetBytePtr(gClassInfoData);
  return int32_t(CFDataGetLength(gClassInfoData));
}

// The unit's state from saved class information: the data of an XML property list, or the
// bytes as they stand (states saved before they were written as property lists).
bool UnitStateOf(const void* data, int32_t length, std::string* state) {
  const char* bytes = static_cast<const char*>(data);
  if (!LooksLikeXML(bytes, size_t(length))) {
    state->assign(bytes, size_t(length));
    return true;
  }
  std::vector<PropertyListEntry> entries;
  if (!ReadPropertyListXML(bytes, size_t(length), &entries)) return false;
  for (const PropertyListEntry& e : entries)
    if (e.isData && e.key == kClassInfoData) {
      *state = e.data;
      return !state->empty();
    }
  return false;
}

OSStatus RestoreUnitClassInfo(PluginInstance* instance, const void* data, int32_t length) {
  std::string bytes;
  if (!UnitStateOf(data, length, &bytes)) return kAudioUnitErr_InvalidPropertyValue;
  CFDataRef state = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()), CFIndex(bytes.size()));
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
