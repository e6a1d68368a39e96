#include "sequencer/transport/transport_plugin_hooks.h"

TransportPluginHooks gTransportPluginHooks = {};

void ApplyTempoToDevices(int32_t tempo) {
  if (gTransportPluginHooks.applyTempoToDevices) gTransportPluginHooks.applyTempoToDevices(tempo);
}

void PassDeviceTransportMessage(int32_t kind) {
  if (gTransportPluginHooks.passDeviceTransportMessage) gTransportPluginHooks.passDeviceTransportMessage(kind);
}
