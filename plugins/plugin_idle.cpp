#include "plugins/plugin_idle.h"

#include "platform/audiounit/audio_unit_listeners.h"
#include "plugins/host/vst_host_callback.h"

// Interim: ReWire does not exist on this system and the editor windows are not built, so
// the pass only delivers the component listeners' notifications and the idle plug-ins asked
// for inside their own calls; no menus to refresh.
void PluginWindowsIdle() {
  DeliverAudioUnitListenerNotifications();
  RunDeferredPluginIdle();
}
void ReWireIdle() {}
void UpdatePluginMenus() {}
