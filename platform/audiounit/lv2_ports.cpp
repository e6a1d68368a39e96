// Reading an LV2 plug-in's ports: their kinds and directions, the limits, units and value
// names of its controls, the MIDI input, the latency and enable ports; and the features it
// requires.
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/audiounit/audio_unit_instance.h"
#include "platform/audiounit/lv2_world.h"

namespace {

constexpr const char* kUnits = "http://lv2plug.in/ns/extensions/units#";

// The features this host hands every instance, and those it honours without handing anything.
constexpr const char* kProvidedFeatures[] = {
    LV2_URID__map, LV2_URID__unmap, LV2_OPTIONS__options, LV2_BUF_SIZE__boundedBlockLength,
    LV2_CORE__hardRTCapable, LV2_CORE__inPlaceBroken, LV2_CORE__isLive,
};

uint32_t UnitOf(const LilvNode* unitNode) {
  static const struct {
    const char* suffix;
    uint32_t unit;
  } kMap[] = {
      {"hz", kAudioUnitParameterUnit_Hertz},       {"ms", kAudioUnitParameterUnit_Milliseconds},
      {"s", kAudioUnitParameterUnit_Seconds},      {"db", kAudioUnitParameterUnit_Decibels},
      {"pc", kAudioUnitParameterUnit_Percent},     {"cent", kAudioUnitParameterUnit_Cents},
      {"semitone12TET", kAudioUnitParameterUnit_RelativeSemiTones},
      {"bpm", kAudioUnitParameterUnit_BPM},        {"midiNote", kAudioUnitParameterUnit_MIDINoteNumber},
      {"degree", kAudioUnitParameterUnit_Degrees}, {"oct", kAudioUnitParameterUnit_Octaves},
      {"frame", kAudioUnitParameterUnit_SampleFrames}, {"beat", kAudioUnitParameterUnit_Beats},
  };
  if (unitNode == nullptr || !lilv_node_is_uri(unitNode)) return kAudioUnitParameterUnit_Generic;
  std::string uri = Lv2NodeText(unitNode);
  if (uri.rfind(kUnits, 0) != 0) return kAudioUnitParameterUnit_Generic;
  std::string suffix = uri.substr(std::strlen(kUnits));
  for (const auto& m : kMap)
    if (suffix == m.suffix) return m.unit;
  return kAudioUnitParameterUnit_Generic;
}

float NodeFloat(const LilvNode* node, float otherwise) {
  return node != nullptr && (lilv_node_is_float(node) || lilv_node_is_int(node)) ? lilv_node_as_float(node) : otherwise;
}

// Scale points name values of a control. When they name every whole number from the minimum
// to the maximum of an enumeration or integer port they make an indexed parameter; otherwise
// they are the texts of the values they name.
void ReadValueNames(const LilvPlugin* plugin, const LilvPort* port, Lv2Port* p, bool mayIndex) {
  LilvScalePoints* points = lilv_port_get_scale_points(plugin, port);
  if (points == nullptr) return;
  std::vector<Lv2ValueName> names;
  LILV_FOREACH(scale_points, it, points) {
    const LilvScalePoint* sp = lilv_scale_points_get(points, it);
    float value = NodeFloat(lilv_scale_point_get_value(sp), NAN);
    if (std::isfinite(value)) names.push_back({value, Lv2NodeText(lilv_scale_point_get_label(sp))});
  }
  lilv_scale_points_free(points);
  if (names.empty()) return;
  std::sort(names.begin(), names.end(), [](const Lv2ValueName& a, const Lv2ValueName& b) { return a.value < b.value; });
  bool contiguous = mayIndex && names.front().value == p->minimum && names.back().value == p->maximum;
  for (size_t i = 0; contiguous && i < names.size(); ++i) contiguous = names[i].value == p->minimum + float(i);
  p->valueNames = std::move(names);
  p->flags |= kAudioUnitParameterFlag_ValuesHaveStrings;
  if (contiguous) p->unit = kAudioUnitParameterUnit_Indexed;
}

bool ReadControl(const LilvPlugin* plugin, const LilvPort* port, Lv2Port* p, std::string* reason) {
  const Lv2Uris& u = Lv2Nodes();
  LilvNode *def = nullptr, *min = nullptr, *max = nullptr;
  lilv_port_get_range(plugin, port, &def, &min, &max);
  p->minimum = NodeFloat(min, 0.0f);
  p->maximum = NodeFloat(max, std::max(1.0f, p->minimum));
  p->defaultValue = NodeFloat(def, p->minimum);
  lilv_node_free(def);
  lilv_node_free(min);
  lilv_node_free(max);
  if (!std::isfinite(p->minimum) || !std::isfinite(p->maximum) || !std::isfinite(p->defaultValue) ||
      p->minimum > p->maximum) {
    *reason = "the control port \"" + p->symbol + "\" has impossible limits";
    return false;
  }
  p->defaultValue = std::clamp(p->defaultValue, p->minimum, p->maximum);
  p->scaledByRate = lilv_port_has_property(plugin, port, u.sampleRate);
  p->flags = kAudioUnitParameterFlag_IsReadable |
             (p->input ? kAudioUnitParameterFlag_IsWritable : kAudioUnitParameterFlag_MeterReadOnly);
  if (lilv_port_has_property(plugin, port, u.logarithmic)) p->flags |= kAudioUnitParameterFlag_DisplayLogarithmic;
  LilvNode* unit = lilv_port_get(plugin, port, u.unit);
  p->unit = UnitOf(unit);
  lilv_node_free(unit);
  if (lilv_port_has_property(plugin, port, u.toggled)) {
    p->unit = kAudioUnitParameterUnit_Boolean;
  } else {
    ReadValueNames(plugin, port, p,
                   lilv_port_has_property(plugin, port, u.enumeration) || lilv_port_has_property(plugin, port, u.integer));
  }
  return true;
}

bool ReadPort(AudioUnitInstance* unit, uint32_t index, std::string* reason) {
  const Lv2Uris& u = Lv2Nodes();
  const LilvPlugin* plugin = unit->plugin;
  const LilvPort* port = lilv_plugin_get_port_by_index(plugin, index);
  if (port == nullptr) {
    *reason = "its port " + std::to_string(index) + " is not described";
    return false;
  }
  Lv2Port& p = unit->ports[index];
  p.index = index;
  p.symbol = Lv2NodeText(lilv_port_get_symbol(plugin, port));
  LilvNode* name = lilv_port_get_name(plugin, port);
  p.name = name != nullptr ? Lv2NodeText(name) : p.symbol;
  lilv_node_free(name);
  bool in = lilv_port_is_a(plugin, port, u.inputPort), out = lilv_port_is_a(plugin, port, u.outputPort);
  if (in == out) {
    *reason = "the port \"" + p.symbol + "\" is " + (in ? "both an input and an output" : "neither an input nor an output");
    return false;
  }
  p.input = in;
  if (lilv_port_is_a(plugin, port, u.audioPort)) {
    p.kind = Lv2PortKind::kAudio;
  } else if (lilv_port_is_a(plugin, port, u.controlPort)) {
    p.kind = Lv2PortKind::kControl;
    return ReadControl(plugin, port, &p, reason);
  } else if (lilv_port_is_a(plugin, port, u.cvPort)) {
    p.kind = Lv2PortKind::kCv;
  } else if (lilv_port_is_a(plugin, port, u.atomPort)) {
    p.kind = Lv2PortKind::kAtom;
    LilvNode* minimum = lilv_port_get(plugin, port, u.minimumSize);
    int wanted = minimum != nullptr && lilv_node_is_int(minimum) ? lilv_node_as_int(minimum) : 0;
    lilv_node_free(minimum);
    p.atomBytes = std::max<uint32_t>(kLv2AtomBufferBytes, uint32_t(std::clamp(wanted, 0, 1 << 24)));
    p.midi = in && lilv_port_supports_event(plugin, port, u.midiEvent);
    p.timePosition = in && lilv_port_supports_event(plugin, port, u.timePosition);
  } else if (!lilv_port_has_property(plugin, port, u.connectionOptional)) {
    *reason = "the port \"" + p.symbol + "\" is of a kind this host does not know";
    return false;
  }
  return true;
}

bool IsEnablePort(const LilvPlugin* plugin, uint32_t index) {
  const Lv2Uris& u = Lv2Nodes();
  const LilvPort* port = lilv_plugin_get_port_by_index(plugin, index);
  LilvNode* designation = lilv_port_get(plugin, port, u.designation);
  bool enable = designation != nullptr && lilv_node_equals(designation, u.enabled);
  lilv_node_free(designation);
  return enable;
}

void AssignRoles(AudioUnitInstance* unit) {
  for (const Lv2Port& p : unit->ports) {
    if (p.kind == Lv2PortKind::kAudio) (p.input ? unit->audioIn : unit->audioOut).push_back(p.index);
    if (p.kind == Lv2PortKind::kControl) unit->parameters.push_back(p.index);
    if (p.midi && unit->midiPort < 0) unit->midiPort = int32_t(p.index);
    if (p.timePosition && unit->timePort < 0) unit->timePort = int32_t(p.index);
    if (p.kind == Lv2PortKind::kControl && p.input && unit->enabledPort < 0 && IsEnablePort(unit->plugin, p.index))
      unit->enabledPort = int32_t(p.index);
  }
  if (lilv_plugin_has_latency(unit->plugin)) {
    uint32_t index = lilv_plugin_get_latency_port_index(unit->plugin);
    if (index < unit->ports.size() && unit->ports[index].kind == Lv2PortKind::kControl && !unit->ports[index].input)
      unit->latencyPort = int32_t(index);
  }
}

}  // namespace

bool ReadLv2Ports(AudioUnitInstance* unit, std::string* reason) {
  uint32_t count = lilv_plugin_get_num_ports(unit->plugin);
  unit->ports.assign(count, Lv2Port{});
  for (uint32_t i = 0; i < count; ++i)
    if (!ReadPort(unit, i, reason)) return false;
  AssignRoles(unit);
  if (unit->audioOut.empty()) {
    *reason = "it has no audio output";
    return false;
  }
  unit->values = std::make_unique<std::atomic<float>[]>(count);
  for (const Lv2Port& p : unit->ports) {
    float minimum, maximum, defaultValue;
    ControlLimits(unit, p, &minimum, &maximum, &defaultValue);
    unit->values[p.index].store(defaultValue, std::memory_order_relaxed);
  }
  return true;
}

bool HostHasRequiredFeatures(const LilvPlugin* plugin, std::string* missing) {
  LilvNodes* required = lilv_plugin_get_required_features(plugin);
  bool ok = true;
  LILV_FOREACH(nodes, it, required) {
    std::string uri = Lv2NodeText(lilv_nodes_get(required, it));
    bool known = false;
    for (const char* f : kProvidedFeatures) known = known || uri == f;
    if (!known) {
      *missing = uri;
      ok = false;
      break;
    }
  }
  lilv_nodes_free(required);
  return ok;
}
