// A unit's state: the class info property holds the plug-in's own state (through the LV2
// state extension, when it has one) and its control values as bytes; setting it restores both.
// Factory presets are the plug-in's LV2 presets.
#include <lv2/atom/atom.h>
#include <lv2/state/state.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "platform/audiounit/audio_unit_instance.h"
#include "platform/audiounit/lv2_world.h"

namespace {

constexpr const char* kStateUri = "urn:zarin:unit-state";
constexpr uint32_t kStateFlags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;

struct ValueSource {
  const AudioUnitInstance* u;
  float value;
};

const Lv2Port* InputControlNamed(const AudioUnitInstance* u, const char* symbol) {
  for (const Lv2Port& p : u->ports)
    if (p.kind == Lv2PortKind::kControl && p.input && p.symbol == symbol) return &p;
  return nullptr;
}

const void* GetPortValue(const char* symbol, void* data, uint32_t* size, uint32_t* type) {
  auto* source = static_cast<ValueSource*>(data);
  const Lv2Port* p = InputControlNamed(source->u, symbol);
  *size = 0;
  *type = 0;
  if (p == nullptr) return nullptr;
  source->value = source->u->values[p->index].load(std::memory_order_relaxed);
  *size = sizeof(float);
  *type = Lv2Map(LV2_ATOM__Float);
  return &source->value;
}

void SetPortValue(const char* symbol, void* data, const void* value, uint32_t size, uint32_t type) {
  auto* u = static_cast<AudioUnitInstance*>(data);
  const Lv2Port* p = InputControlNamed(u, symbol);
  if (p == nullptr || value == nullptr) return;
  float v;
  if (type == Lv2Map(LV2_ATOM__Float) && size == sizeof(float)) {
    std::memcpy(&v, value, sizeof v);
  } else if (type == Lv2Map(LV2_ATOM__Double) && size == sizeof(double)) {
    double d;
    std::memcpy(&d, value, sizeof d);
    v = float(d);
  } else if (type == Lv2Map(LV2_ATOM__Int) && size == sizeof(int32_t)) {
    int32_t i;
    std::memcpy(&i, value, sizeof i);
    v = float(i);
  } else {
    return;
  }
  SetControlValue(u, p->index, v);
}

// The unit held. A unit that is not initialised is instantiated for the moment (with the state
// it keeps), so that the bytes hold the plug-in's own state as well as the current controls.
OSStatus CaptureBytes(AudioUnitInstance* u, std::string* bytes) {
  bool temporary = u->lv2 == nullptr;
  if (temporary) {
    OSStatus status = InstantiateLv2(u);
    if (status != noErr) return status;
  }
  LilvState* state = CaptureLv2State(u);
  if (temporary) FreeLv2(u, false);  // the kept state, if any, is still the same
  if (state == nullptr) return kAudioUnitErr_CannotDoInCurrentContext;
  char* text = lilv_state_to_string(Lv2World(), Lv2UridMap(), Lv2UridUnmap(), state, kStateUri, nullptr);
  lilv_state_free(state);
  if (text == nullptr) return kAudioUnitErr_CannotDoInCurrentContext;
  bytes->assign(text);
  lilv_free(text);
  return noErr;
}

// Gives the unit a state made elsewhere (taking it over): an instantiated plug-in gets it at
// once, another keeps it for its next initialise; the controls take its values now.
void ApplyState(AudioUnitInstance* u, LilvState* state) {
  if (u->lv2 != nullptr) {
    RestoreLv2State(u, state, true);
    lilv_state_free(state);
    return;
  }
  lilv_state_emit_port_values(state, SetPortValue, u);
  if (u->keptState != nullptr) lilv_state_free(u->keptState);
  u->keptState = state;
}

}  // namespace

LilvState* CaptureLv2State(AudioUnitInstance* u) {
  if (u->lv2 == nullptr) return nullptr;
  ValueSource source{u, 0.0f};
  return lilv_state_new_from_instance(u->plugin, u->lv2, Lv2UridMap(), nullptr, nullptr, nullptr, nullptr,
                                      GetPortValue, &source, kStateFlags, u->features);
}

void RestoreLv2State(AudioUnitInstance* u, const LilvState* state, bool ports) {
  lilv_state_restore(state, u->lv2, ports ? SetPortValue : nullptr, u, kStateFlags, u->features);
}

OSStatus CopyClassInfo(AudioUnit unit, CFDataRef* data) {
  *data = nullptr;
  AudioUnitInstance* u = AcquireAudioUnit(unit);
  if (u == nullptr) return FindAudioUnit(unit) ? kAudioUnitErr_CannotDoInCurrentContext : badComponentInstance;
  std::string bytes;
  OSStatus status = CaptureBytes(u, &bytes);
  ReleaseAudioUnit(unit);
  if (status != noErr) return status;
  *data = CFDataCreate(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(bytes.data()), CFIndex(bytes.size()));
  return *data != nullptr ? noErr : memFullErr;
}

OSStatus SetClassInfo(AudioUnit unit, CFDataRef data) {
  if (CFGetTypeID(data) != CFDataGetTypeID()) return kAudioUnitErr_InvalidPropertyValue;
  const UInt8* bytes = CFDataGetBytePtr(data);
  std::string text(reinterpret_cast<const char*>(bytes), size_t(CFDataGetLength(data)));
  if (text.empty() || text.find('\0') != std::string::npos) return kAudioUnitErr_InvalidPropertyValue;
  AudioUnitInstance* u = AcquireAudioUnit(unit);
  if (u == nullptr) return FindAudioUnit(unit) ? kAudioUnitErr_CannotDoInCurrentContext : badComponentInstance;
  LilvState* state = lilv_state_new_from_string(Lv2World(), Lv2UridMap(), text.c_str());
  const LilvNode* plugin = state != nullptr ? lilv_state_get_plugin_uri(state) : nullptr;
  if (plugin == nullptr || Lv2NodeText(plugin) != u->uri) {
    if (state != nullptr) lilv_state_free(state);
    ReleaseAudioUnit(unit);
    return kAudioUnitErr_InvalidPropertyValue;
  }
  ApplyState(u, state);
  u->currentPreset = {-1, nullptr};
  ReleaseAudioUnit(unit);
  return noErr;
}

OSStatus ChoosePreset(AudioUnit unit, int32_t number) {
  AudioUnitInstance* u = AcquireAudioUnit(unit);
  if (u == nullptr) return FindAudioUnit(unit) ? kAudioUnitErr_CannotDoInCurrentContext : badComponentInstance;
  OSStatus status = kAudioUnitErr_InvalidPropertyValue;
  if (number >= 0 && size_t(number) < u->presets.size()) {
    LilvNode* node = lilv_new_uri(Lv2World(), u->presetUris[size_t(number)].c_str());
    LilvState* state = lilv_state_new_from_world(Lv2World(), Lv2UridMap(), node);
    lilv_node_free(node);
    if (state != nullptr) {
      ApplyState(u, state);
      u->currentPreset = u->presets[size_t(number)];
      status = noErr;
    }
  }
  ReleaseAudioUnit(unit);
  if (status == noErr) {
    NotifyPropertyListeners(unit, kAudioUnitProperty_PresentPreset);
    NotifyPropertyListeners(unit, kAudioUnitProperty_CurrentPreset);
  }
  return status;
}

// In the order of their URIs, so that a preset's number stays the same between runs.
void LoadFactoryPresets(AudioUnitInstance* u) {
  LilvWorld* world = Lv2World();
  LilvNodes* related = lilv_plugin_get_related(u->plugin, Lv2Nodes().preset);
  LILV_FOREACH(nodes, it, related) u->presetUris.push_back(Lv2NodeText(lilv_nodes_get(related, it)));
  lilv_nodes_free(related);
  std::sort(u->presetUris.begin(), u->presetUris.end());
  for (const std::string& uri : u->presetUris) {
    LilvNode* preset = lilv_new_uri(world, uri.c_str());
    static std::set<std::string>* loaded = new std::set<std::string>();  // once each: a reload
    if (loaded->insert(uri).second) lilv_world_load_resource(world, preset);  // repeats its blank nodes
    LilvNode* label = lilv_world_get(world, preset, Lv2Nodes().label, nullptr);
    std::string name = label != nullptr ? Lv2NodeText(label) : uri.substr(uri.find_last_of("/#:") + 1);
    lilv_node_free(label);
    lilv_node_free(preset);
    u->presets.push_back({int32_t(u->presets.size()), CFStringCreateWithUTF8(name)});
  }
}

void FreeFactoryPresets(AudioUnitInstance* u) {
  for (AUPreset& p : u->presets) CFRelease(p.presetName);
  u->presets.clear();
  u->presetUris.clear();
  u->currentPreset = {-1, nullptr};
}

void NotifyPropertyListeners(AudioUnit unit, AudioUnitPropertyID id) {
  AudioUnitInstance* u = FindAudioUnit(unit);
  if (u == nullptr) return;
  std::vector<AudioUnitPropertyListener> listeners = u->listeners;
  for (const AudioUnitPropertyListener& l : listeners)
    if (l.id == id) l.proc(l.refCon, unit, id, kAudioUnitScope_Global, 0);
}
