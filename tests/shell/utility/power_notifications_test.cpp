#include <gtest/gtest.h>

#include <chrono>

#include "audio/engine/engine_run_state.h"
#include "platform/power/system_power.h"
#include "shell/app/power_notifications.h"
#include "shell/base/app_state.h"
#include "tests/platform/power/private_system_bus.h"
#include "tests/test_support.h"

namespace {

TEST(PowerNotifications, FailedRegistrationPrintsTheTextAndDeregistrationDoesNothing) {
  zarin_test::TempFolder folder;
  zarin_test::ScopedEnv env("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + folder.File("no_bus"));
  PowerRegistration record;
  testing::internal::CaptureStdout();
  RegisterSystemPower(&record);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Zarin: IORegisterForSystemPower failed\n");
  EXPECT_EQ(record.port, 0u);
  EXPECT_EQ(gRootPowerConnection, 0u);
  DeregisterSystemPower(&record);  // must not touch a connection that never existed
  DeregisterActiveSystemPower();
  EXPECT_EQ(record.port, 0u);
}

TEST(PowerNotifications, MessagesStopOutputsAndNeverVetoSleep) {
  gAppState[4] = 0;
  gOutputDevicesRunning = 1;
  gAudioSuspended = 0;
  HandleSystemPowerMessage(nullptr, 0, kIOMessageCanSystemSleep, 0);
  EXPECT_EQ(gAppState[4], 0);
  EXPECT_EQ(gOutputDevicesRunning, 1);
  HandleSystemPowerMessage(nullptr, 0, kIOMessageSystemWillSleep, 0);
  EXPECT_TRUE(gAppState[4] & kAppWord4SleepPending);
  EXPECT_EQ(gOutputDevicesRunning, 0);
  EXPECT_EQ(gAudioSuspended, 1);
  HandleSystemPowerMessage(nullptr, 0, 0xE0000290, 0);  // any other message: nothing
  EXPECT_TRUE(gAppState[4] & kAppWord4SleepPending);
  HandleSystemPowerMessage(nullptr, 0, kIOMessageSystemHasPoweredOn, 0);
  EXPECT_FALSE(gAppState[4] & kAppWord4SleepPending);
  EXPECT_EQ(gOutputDevicesRunning, 0);  // outputs restart through the audio paths, not here
}

TEST(PowerNotifications, SleepSignalOnTheBusGoesThroughTheHandler) {
  zarin_test::PrivateSystemBus bus;
  ASSERT_TRUE(bus.ok());
  gAppState[4] = 0;
  gOutputDevicesRunning = 1;
  PowerRegistration record;
  testing::internal::CaptureStdout();
  RegisterSystemPower(&record);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  ASSERT_NE(record.port, 0u);
  ASSERT_NE(gRootPowerConnection, 0u);
  ASSERT_TRUE(bus.EmitPrepareForSleep(true));
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!(gAppState[4] & kAppWord4SleepPending) && std::chrono::steady_clock::now() < end)
    ServiceRunLoopPowerSources(50);
  EXPECT_TRUE(gAppState[4] & kAppWord4SleepPending);
  EXPECT_EQ(gOutputDevicesRunning, 0);
  DeregisterSystemPower(&record);
  EXPECT_EQ(record.port, 0u);
  EXPECT_EQ(gRootPowerConnection, 0u);
  gAppState[4] = 0;
}

}  // namespace
