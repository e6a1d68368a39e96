#include "plugins/plugin_idle.h"

#include "platform/audiounit/audio_unit_listeners.h"
#include "plugins/host/vst_host_callback.h"

// Interim: ReWire does not exist on this system and the editor windows are not built, so
// the pass only delivers the component listeners' notifications and the idle plug-ins asked
// for inside their own calls; no menus to refresh and no song-track devices.
void PluginWindowsIdle() {
  DeliverAudioUnitListenerNotifications();
  RunDeferredPluginIdle();
}
void ReWireIdle() {}
void UpdatePluginMenus() {}
int32_t CountSongTrackDevices(int32_t) { return 0; }
uint8_t GetSongTrackDeviceId(int32_t) { return 0; }
