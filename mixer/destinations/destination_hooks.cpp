// The plug-in host's label of a destination is the destination item's.
#include "mixer/destinations/destination_items.h"

#include <cstring>

#include "plugins/host/plugin_host_hooks.h"

namespace {

bool LabelForHost(uint32_t kind, uint32_t number, const uint8_t* name, char* label, int32_t capacity) {
  if (!label || capacity < 1) return false;
  Str255 text;
  BuildDestinationLabel(text, int32_t(kind), int32_t(number), name);
  int32_t length = text[0] < capacity ? text[0] : capacity - 1;
  std::memcpy(label, text + 1, size_t(length));
  label[length] = '\0';
  return true;
}

}  // namespace

void InstallDestinationHooks() { gPluginHostHooks.buildDestinationLabel = LabelForHost; }
