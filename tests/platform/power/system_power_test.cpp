#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "platform/power/system_power.h"
#include "tests/platform/power/private_system_bus.h"
#include "tests/test_support.h"

namespace {

std::vector<uint32_t> gMessages;
intptr_t gLastArgument = 0;

void Record(void*, io_object_t, uint32_t type, intptr_t argument) {
  gMessages.push_back(type);
  gLastArgument = argument;
}

// Serves the run loop until n messages have arrived or ten seconds have passed (a loaded
// machine may take a while to pass a signal through the private bus).
void ServeUntil(size_t n) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (gMessages.size() < n && std::chrono::steady_clock::now() < end) ServiceRunLoopPowerSources(50);
}

TEST(SystemPower, NoSystemBusFailsCleanly) {
  zarin_test::TempFolder folder;
  zarin_test::ScopedEnv env("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + folder.File("no_bus"));
  IONotificationPortRef port = 99;
  io_object_t notifier = 99;
  EXPECT_EQ(IORegisterForSystemPower(nullptr, &port, Record, &notifier), 0u);
  EXPECT_EQ(port, 0u);
  EXPECT_EQ(notifier, 0u);
  // Calls on what was never created refuse, and nothing is delivered.
  EXPECT_EQ(IONotificationPortGetRunLoopSource(0), 0u);
  EXPECT_NE(IOServiceClose(0), kIOReturnSuccess);
  EXPECT_NE(IODeregisterForSystemPower(&notifier), kIOReturnSuccess);
  IONotificationPortDestroy(0);
  EXPECT_EQ(ServiceRunLoopPowerSources(0), 0);
}

TEST(SystemPower, SleepSignalReachesTheCallbackOnlyWhileTheSourceIsAdded) {
  zarin_test::PrivateSystemBus bus;
  ASSERT_TRUE(bus.ok());
  gMessages.clear();
  IONotificationPortRef port = 0;
  io_object_t notifier = 0;
  io_connect_t root = IORegisterForSystemPower(nullptr, &port, Record, &notifier);
  ASSERT_NE(root, 0u);
  ASSERT_NE(port, 0u);
  PowerRunLoopSourceRef source = IONotificationPortGetRunLoopSource(port);
  ASSERT_NE(source, 0u);
  EXPECT_GE(GetRunLoopPowerSourceFd(source), 0);

  // Not added to the run loop yet: nothing is delivered.
  ASSERT_TRUE(bus.EmitPrepareForSleep(true));
  EXPECT_EQ(ServiceRunLoopPowerSources(200), 0);
  EXPECT_TRUE(gMessages.empty());

  AddRunLoopPowerSource(source);
  ServeUntil(1);  // the signal sent before is still waiting on the connection
  ASSERT_EQ(gMessages.size(), 1u);
  EXPECT_EQ(gMessages[0], kIOMessageSystemWillSleep);
  EXPECT_EQ(IOAllowPowerChange(root, gLastArgument), kIOReturnSuccess);

  ASSERT_TRUE(bus.EmitPrepareForSleep(false));
  ServeUntil(2);
  ASSERT_EQ(gMessages.size(), 2u);
  EXPECT_EQ(gMessages[1], kIOMessageSystemHasPoweredOn);

  RemoveRunLoopPowerSource(source);
  EXPECT_EQ(IODeregisterForSystemPower(&notifier), kIOReturnSuccess);
  EXPECT_EQ(notifier, 0u);
  EXPECT_EQ(IOServiceClose(root), kIOReturnSuccess);
  IONotificationPortDestroy(port);
  EXPECT_EQ(IONotificationPortGetRunLoopSource(port), 0u);
  EXPECT_NE(IOAllowPowerChange(root, 0), kIOReturnSuccess);
}

}  // namespace
