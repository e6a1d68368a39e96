// The LV2 world: lilv loaded once, the URIs the layer uses, and the URID map.
#include "platform/audiounit/lv2_world.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/port-props/port-props.h>
#include <lv2/presets/presets.h>
#include <lv2/resize-port/resize-port.h>
#include <lv2/time/time.h>

#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

namespace {

constexpr const char* kRdfsLabel = "http://www.w3.org/2000/01/rdf-schema#label";
constexpr const char* kDoap = "http://usefulinc.com/ns/doap#";
constexpr const char* kFoafName = "http://xmlns.com/foaf/0.1/name";
constexpr const char* kUnitsUnit = "http://lv2plug.in/ns/extensions/units#unit";

struct UridTable {
  std::mutex lock;
  std::unordered_map<std::string, LV2_URID> ids;
  std::deque<std::string> uris;  // URID n is uris[n - 1]; a deque never moves its strings
};

UridTable& Urids() {
  static UridTable* table = new UridTable();
  return *table;
}

LV2_URID MapUri(LV2_URID_Map_Handle, const char* uri) {
  if (uri == nullptr) return 0;
  UridTable& t = Urids();
  std::lock_guard<std::mutex> hold(t.lock);
  auto found = t.ids.find(uri);
  if (found != t.ids.end()) return found->second;
  t.uris.emplace_back(uri);
  LV2_URID id = LV2_URID(t.uris.size());
  t.ids.emplace(uri, id);
  return id;
}

const char* UnmapUrid(LV2_URID_Unmap_Handle, LV2_URID urid) {
  UridTable& t = Urids();
  std::lock_guard<std::mutex> hold(t.lock);
  if (urid == 0 || urid > t.uris.size()) return nullptr;
  return t.uris[urid - 1].c_str();
}

LilvNode* Uri(LilvWorld* w, const char* uri) { return lilv_new_uri(w, uri); }
LilvNode* Uri(LilvWorld* w, const std::string& uri) { return lilv_new_uri(w, uri.c_str()); }

Lv2Uris MakeUris(LilvWorld* w) {
  Lv2Uris u{};
  u.audioPort = Uri(w, LV2_CORE__AudioPort);
  u.controlPort = Uri(w, LV2_CORE__ControlPort);
  u.cvPort = Uri(w, LV2_CORE__CVPort);
  u.atomPort = Uri(w, LV2_ATOM__AtomPort);
  u.inputPort = Uri(w, LV2_CORE__InputPort);
  u.outputPort = Uri(w, LV2_CORE__OutputPort);
  u.connectionOptional = Uri(w, LV2_CORE__connectionOptional);
  u.midiEvent = Uri(w, LV2_MIDI__MidiEvent);
  u.timePosition = Uri(w, LV2_TIME__Position);
  u.instrumentClass = Uri(w, LV2_CORE__InstrumentPlugin);
  u.generatorClass = Uri(w, LV2_CORE__GeneratorPlugin);
  u.oscillatorClass = Uri(w, LV2_CORE__OscillatorPlugin);
  u.toggled = Uri(w, LV2_CORE__toggled);
  u.integer = Uri(w, LV2_CORE__integer);
  u.enumeration = Uri(w, LV2_CORE__enumeration);
  u.logarithmic = Uri(w, LV2_PORT_PROPS__logarithmic);
  u.sampleRate = Uri(w, LV2_CORE__sampleRate);
  u.designation = Uri(w, LV2_CORE__designation);
  u.enabled = Uri(w, LV2_CORE__enabled);
  u.reportsLatency = Uri(w, LV2_CORE__reportsLatency);
  u.unit = Uri(w, kUnitsUnit);
  u.minimumSize = Uri(w, LV2_RESIZE_PORT__minimumSize);
  u.minorVersion = Uri(w, LV2_CORE__minorVersion);
  u.microVersion = Uri(w, LV2_CORE__microVersion);
  u.preset = Uri(w, LV2_PRESETS__Preset);
  u.label = Uri(w, kRdfsLabel);
  u.doapName = Uri(w, std::string(kDoap) + "name");
  u.doapMaintainer = Uri(w, std::string(kDoap) + "maintainer");
  u.foafName = Uri(w, kFoafName);
  return u;
}

struct World {
  LilvWorld* world = nullptr;
  Lv2Uris uris{};
};

World& TheWorld() {
  static World* w = [] {
    auto* made = new World();
    made->world = lilv_world_new();
    made->uris = MakeUris(made->world);
    lilv_world_load_all(made->world);
    return made;
  }();
  return *w;
}

}  // namespace

LilvWorld* Lv2World() { return TheWorld().world; }
const Lv2Uris& Lv2Nodes() { return TheWorld().uris; }

LV2_URID_Map* Lv2UridMap() {
  static LV2_URID_Map map = {nullptr, MapUri};
  return &map;
}

LV2_URID_Unmap* Lv2UridUnmap() {
  static LV2_URID_Unmap unmap = {nullptr, UnmapUrid};
  return &unmap;
}

LV2_URID Lv2Map(const char* uri) { return MapUri(nullptr, uri); }

std::string Lv2NodeText(const LilvNode* node) {
  if (node == nullptr) return std::string();
  const char* text = lilv_node_as_string(node);
  return text != nullptr ? std::string(text) : std::string();
}

bool Lv2PluginIsA(const LilvPlugin* plugin, const LilvNode* classUri) {
  const LilvPluginClasses* classes = lilv_world_get_plugin_classes(Lv2World());
  const LilvPluginClass* cls = lilv_plugin_get_class(plugin);
  for (int depth = 0; cls != nullptr && depth < 16; ++depth) {
    if (lilv_node_equals(lilv_plugin_class_get_uri(cls), classUri)) return true;
    const LilvNode* parent = lilv_plugin_class_get_parent_uri(cls);
    if (parent == nullptr) return false;
    cls = lilv_plugin_classes_get_by_uri(classes, parent);
  }
  return false;
}
