#include "audio/devices/device_settings_hooks.h"

DeviceSettingsHooks gDeviceSettingsHooks = {};

int32_t RunDeviceSettingsDialog(void* dialogRecord) {
  if (auto run = gDeviceSettingsHooks.runDeviceSettingsDialog) return run(dialogRecord);
  return int32_t(reinterpret_cast<intptr_t>(dialogRecord));
}
