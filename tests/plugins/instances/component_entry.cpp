#include "tests/plugins/instances/component_entry.h"

#include "plugins/library/plugin_table.h"

namespace instances_test {

bool DescriptionNamed(const std::string& name, ComponentDescription* out) {
  for (Component c = FindNextComponent(0, nullptr); c != 0; c = FindNextComponent(c, nullptr)) {
    unsigned char text[256];
    if (GetComponentInfo(c, out, text) == noErr &&
        name == std::string(reinterpret_cast<char*>(text + 1), text[0]))
      return true;
  }
  return false;
}

int32_t AppendComponentEntry(const std::string& name, uint8_t kind, OSType uniqueId) {
  ComponentDescription d;
  if (!DescriptionNamed(name, &d)) return -1;
  PluginInfo info;
  info.kind = kind;
  info.uniqueId = uniqueId;
  info.componentType = d.componentType;
  info.componentSubType = d.componentSubType;
  info.componentManufacturer = d.componentManufacturer;
  return AppendPluginInfo(info);
}

}  // namespace instances_test
