// The components: the LV2 plug-ins found, described as effects, instruments, music effects and
// generators with stable codes and a "Maker: Plug-in" name; opening and closing instances.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <tuple>

#include "platform/audiounit/audio_unit.h"
#include "platform/audiounit/audio_unit_component_table.h"
#include "platform/audiounit/audio_unit_instance.h"
#include "platform/audiounit/lv2_world.h"

namespace {

constexpr char kCodeLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

bool HasAudioPort(const LilvPlugin* plugin, const LilvNode* direction) {
  const Lv2Uris& u = Lv2Nodes();
  return lilv_plugin_get_num_ports_of_class(plugin, u.audioPort, direction, nullptr) > 0;
}

bool HasMidiInput(const LilvPlugin* plugin) {
  const Lv2Uris& u = Lv2Nodes();
  uint32_t ports = lilv_plugin_get_num_ports(plugin);
  for (uint32_t i = 0; i < ports; ++i) {
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
    if (port != nullptr && lilv_port_is_a(plugin, port, u.atomPort) &&
        lilv_port_is_a(plugin, port, u.inputPort) && lilv_port_supports_event(plugin, port, u.midiEvent))
      return true;
  }
  return false;
}

// Instruments (and plug-ins that make sound from MIDI alone) are music devices; generators and
// oscillators without an audio input are generators; effects that take MIDI are music effects.
OSType ComponentTypeOf(const LilvPlugin* plugin) {
  const Lv2Uris& u = Lv2Nodes();
  bool audioIn = HasAudioPort(plugin, u.inputPort);
  bool midiIn = HasMidiInput(plugin);
  if (Lv2PluginIsA(plugin, u.instrumentClass) || (midiIn && !audioIn)) return kAudioUnitType_MusicDevice;
  if (!audioIn && (Lv2PluginIsA(plugin, u.generatorClass) || Lv2PluginIsA(plugin, u.oscillatorClass)))
    return kAudioUnitType_Generator;
  if (!audioIn) return kAudioUnitType_Generator;
  return midiIn ? kAudioUnitType_MusicEffect : kAudioUnitType_Effect;
}

std::string UriHost(const std::string& uri) {
  size_t start = uri.find("://");
  start = start == std::string::npos ? 0 : start + 3;
  size_t end = uri.find_first_of("/#", start);
  return uri.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// The maker: the plug-in's author, else its project's name, else the host of its URI.
std::string MakerOf(const LilvPlugin* plugin, const std::string& uri) {
  LilvNode* author = lilv_plugin_get_author_name(plugin);
  std::string maker = Lv2NodeText(author);
  lilv_node_free(author);
  if (!maker.empty()) return maker;
  LilvNode* project = lilv_plugin_get_project(plugin);
  if (project != nullptr) {
    LilvNode* name = lilv_world_get(Lv2World(), project, Lv2Nodes().doapName, nullptr);
    maker = Lv2NodeText(name);
    lilv_node_free(name);
    lilv_node_free(project);
  }
  return maker.empty() ? UriHost(uri) : maker;
}

int32_t VersionOf(const LilvPlugin* plugin) {
  const Lv2Uris& u = Lv2Nodes();
  auto number = [&](const LilvNode* predicate) {
    LilvNodes* values = lilv_plugin_get_value(plugin, predicate);
    int v = values != nullptr && lilv_nodes_size(values) > 0 ? lilv_node_as_int(lilv_nodes_get_first(values)) : 0;
    lilv_nodes_free(values);
    return std::clamp(v, 0, 255);
  };
  return (number(u.minorVersion) << 8) | number(u.microVersion);
}

Lv2Component DescribePlugin(const LilvPlugin* plugin) {
  Lv2Component c;
  c.plugin = plugin;
  c.uri = Lv2NodeText(lilv_plugin_get_uri(plugin));
  LilvNode* nameNode = lilv_plugin_get_name(plugin);
  std::string name = Lv2NodeText(nameNode);
  lilv_node_free(nameNode);
  std::string maker = MakerOf(plugin, c.uri);
  c.name = maker + ": " + (name.empty() ? c.uri : name);
  c.description.componentType = ComponentTypeOf(plugin);
  c.description.componentManufacturer = StableFourCC(maker, 0);
  c.version = VersionOf(plugin);
  return c;
}

// Subtypes from the URI; a code already taken by an earlier component of the same type and
// manufacturer steps on with a salt, so that every component can be found by its codes.
void AssignSubtypes(std::vector<Lv2Component>* table) {
  std::set<std::tuple<OSType, OSType, OSType>> taken;
  for (Lv2Component& c : *table) {
    for (uint32_t salt = 0;; ++salt) {
      OSType code = StableFourCC(c.uri, salt);
      if (taken.emplace(c.description.componentType, code, c.description.componentManufacturer).second) {
        c.description.componentSubType = code;
        break;
      }
    }
  }
}

std::vector<Lv2Component> BuildTable() {
  std::vector<Lv2Component> table;
  const LilvPlugins* plugins = lilv_world_get_all_plugins(Lv2World());
  LILV_FOREACH(plugins, it, plugins) {
    const LilvPlugin* plugin = lilv_plugins_get(plugins, it);
    if (!HasAudioPort(plugin, Lv2Nodes().outputPort)) continue;
    table.push_back(DescribePlugin(plugin));
  }
  std::sort(table.begin(), table.end(), [](const Lv2Component& a, const Lv2Component& b) { return a.uri < b.uri; });
  AssignSubtypes(&table);
  return table;
}

bool Matches(const ComponentDescription& have, const ComponentDescription* looking) {
  if (looking == nullptr) return true;
  return (looking->componentType == 0 || looking->componentType == have.componentType) &&
         (looking->componentSubType == 0 || looking->componentSubType == have.componentSubType) &&
         (looking->componentManufacturer == 0 || looking->componentManufacturer == have.componentManufacturer);
}

}  // namespace

OSType StableFourCC(const std::string& text, uint32_t salt) {
  uint32_t h = 2166136261u ^ salt * 16777619u;
  for (unsigned char ch : text) h = (h ^ ch) * 16777619u;
  OSType code = 0;
  for (int i = 0; i < 4; ++i) {
    code = (code << 8) | uint8_t(kCodeLetters[h % 62]);
    h = h / 62 + (h << 27);
  }
  return code;
}

const std::vector<Lv2Component>& Lv2Components() {
  static const std::vector<Lv2Component>* table = new std::vector<Lv2Component>(BuildTable());
  return *table;
}

const Lv2Component* Lv2ComponentFor(Component component) {
  const std::vector<Lv2Component>& table = Lv2Components();
  if (component == 0 || component > table.size()) return nullptr;
  return &table[component - 1];
}

Component FindNextComponent(Component after, const ComponentDescription* looking) {
  const std::vector<Lv2Component>& table = Lv2Components();
  for (size_t i = after; i < table.size(); ++i)
    if (Matches(table[i].description, looking)) return Component(i + 1);
  return 0;
}

int32_t CountComponents(const ComponentDescription* looking) {
  int32_t count = 0;
  for (const Lv2Component& c : Lv2Components()) count += Matches(c.description, looking) ? 1 : 0;
  return count;
}

OSErr GetComponentInfo(Component component, ComponentDescription* description, unsigned char* name) {
  const Lv2Component* c = Lv2ComponentFor(component);
  if (name != nullptr) name[0] = 0;
  if (c == nullptr) return invalidComponentID;
  if (description != nullptr) *description = c->description;
  if (name != nullptr) {
    size_t n = std::min<size_t>(c->name.size(), 255);
    while (n > 0 && n < c->name.size() && (uint8_t(c->name[n]) & 0xC0) == 0x80) --n;  // whole characters
    name[0] = uint8_t(n);
    std::memcpy(name + 1, c->name.data(), n);
  }
  return noErr;
}

int32_t GetComponentVersion(Component component) {
  const Lv2Component* c = Lv2ComponentFor(component);
  return c != nullptr ? c->version : 0;
}

OSErr OpenAComponent(Component component, ComponentInstance* instance) {
  if (instance == nullptr) return paramErr;
  *instance = 0;
  const Lv2Component* c = Lv2ComponentFor(component);
  if (c == nullptr) return invalidComponentID;
  return OSErr(OpenAudioUnitInstance(component, instance));
}

ComponentInstance OpenComponent(Component component) {
  ComponentInstance instance = 0;
  OpenAComponent(component, &instance);
  return instance;
}

OSErr CloseComponent(ComponentInstance instance) {
  return CloseAudioUnitInstance(instance) ? noErr : paramErr;
}
