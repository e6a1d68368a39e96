// What the audio driver asks of the settings dialogs: running the device settings dialog that
// the driver record offers (slot 13). Installed by the application's settings dialogs; not
// installed, nothing is shown and the call answers its argument. Main thread only.
#pragma once

#include <cstdint>

struct DeviceSettingsHooks {
  // Shows the audio device settings dialog for the dialog record and applies what changed;
  // answers the dialog's result.
  int32_t (*runDeviceSettingsDialog)(void* dialogRecord);
};
extern DeviceSettingsHooks gDeviceSettingsHooks;

// Not installed: the dialog record's value, nothing shown.
int32_t RunDeviceSettingsDialog(void* dialogRecord);
