#include "shell/app/power_notifications.h"

#include <cstdio>

#include "audio/engine/engine_run_state.h"
#include "platform/power/system_power.h"
#include "shell/base/app_state.h"

uint32_t gRootPowerConnection = 0;

namespace {

PowerRegistration* gActiveRegistration = nullptr;

}  // namespace

void RegisterSystemPower(PowerRegistration* record) {
  IONotificationPortRef port = 0;
  io_object_t notifier = 0;
  gRootPowerConnection = IORegisterForSystemPower(reinterpret_cast<void*>(uintptr_t(record->refcon)), &port,
                                                  HandleSystemPowerMessage, &notifier);
  if (gRootPowerConnection == 0) {
    std::puts("Zarin: IORegisterForSystemPower failed");
    std::fflush(stdout);
    record->port = 0;
    record->notifier = 0;
    return;
  }
  record->port = port;
  record->notifier = notifier;
  AddRunLoopPowerSource(IONotificationPortGetRunLoopSource(port));
  gActiveRegistration = record;
}

void DeregisterSystemPower(PowerRegistration* record) {
  if (!record || record->port == 0 || gRootPowerConnection == 0) return;
  RemoveRunLoopPowerSource(IONotificationPortGetRunLoopSource(record->port));
  io_object_t notifier = record->notifier;
  IODeregisterForSystemPower(&notifier);
  IOServiceClose(gRootPowerConnection);
  IONotificationPortDestroy(record->port);
  gRootPowerConnection = 0;
  record->port = 0;
  record->notifier = 0;
  if (gActiveRegistration == record) gActiveRegistration = nullptr;
}

void DeregisterActiveSystemPower() {
  if (gActiveRegistration) DeregisterSystemPower(gActiveRegistration);
}

void HandleSystemPowerMessage(void*, uint32_t, uint32_t messageType, intptr_t messageArgument) {
  switch (messageType) {
    case kIOMessageSystemWillSleep:
      gAppState[4] |= kAppWord4SleepPending;
      MarkAudioSuspend();
      SetOutputDevicesRunning(0);
      IOAllowPowerChange(gRootPowerConnection, messageArgument);
      break;
    case kIOMessageCanSystemSleep:
      IOAllowPowerChange(gRootPowerConnection, messageArgument);
      break;
    case kIOMessageSystemHasPoweredOn:
      gAppState[4] &= uint16_t(~kAppWord4SleepPending);
      break;
    default:
      break;
  }
}
