#include "plugins/plugin_idle.h"

#include "platform/audiounit/audio_unit_listeners.h"

// Interim: no plug-in is loaded and ReWire does not exist on this system, so there are no
// editor windows to serve, no menus to refresh and no song-track devices.
void PluginWindowsIdle() { DeliverAudioUnitListenerNotifications(); }
void ReWireIdle() {}
void UpdatePluginMenus() {}
int32_t CountSongTrackDevices(int32_t) { return 0; }
uint8_t GetSongTrackDeviceId(int32_t) { return 0; }
