// The LV2 world behind the component layer: lilv's view of the plug-ins on LV2_PATH (or the
// standard folders when it is not set), loaded once on first use from the main thread, the
// URIs the layer asks about, and the URID map handed to plug-ins. Private to
// platform/audiounit.
#pragma once

#include <lilv/lilv.h>
#include <lv2/urid/urid.h>

#include <string>

struct Lv2Uris {
  LilvNode* audioPort;
  LilvNode* controlPort;
  LilvNode* cvPort;
  LilvNode* atomPort;
  LilvNode* inputPort;
  LilvNode* outputPort;
  LilvNode* connectionOptional;
  LilvNode* midiEvent;
  LilvNode* timePosition;
  LilvNode* instrumentClass;
  LilvNode* generatorClass;
  LilvNode* oscillatorClass;
  LilvNode* toggled;
  LilvNode* integer;
  LilvNode* enumeration;
  LilvNode* logarithmic;
  LilvNode* sampleRate;
  LilvNode* designation;
  LilvNode* enabled;
  LilvNode* reportsLatency;
  LilvNode* unit;
  LilvNode* minimumSize;
  LilvNode* minorVersion;
  LilvNode* microVersion;
  LilvNode* preset;
  LilvNode* label;
  LilvNode* doapName;
  LilvNode* doapMaintainer;
  LilvNode* foafName;
};

// The world with every plug-in loaded (created on first call; never freed).
LilvWorld* Lv2World();
const Lv2Uris& Lv2Nodes();

// The URID map and unmap features' data (thread-safe; not for real-time threads).
LV2_URID_Map* Lv2UridMap();
LV2_URID_Unmap* Lv2UridUnmap();
LV2_URID Lv2Map(const char* uri);

// The text of a node (null: empty).
std::string Lv2NodeText(const LilvNode* node);
// Whether the plug-in's class is the given one or descends from it.
bool Lv2PluginIsA(const LilvPlugin* plugin, const LilvNode* classUri);
