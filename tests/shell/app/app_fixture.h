// Runs the program's start-up headless with the application's own resource file, drives the
// event loop with a bound, and runs the shutdown.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/events/carbon_events.h"
#include "tests/test_support.h"

namespace app_test {

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Runs the event loop as the program does, until the quit flag ends it; false when it
  // had to be ended after `limitSeconds` instead.
  bool RunUntilQuit(double limitSeconds = 20);
  // Posts a raw key-down with the character, key code and modifiers.
  void PostKey(char ch, UInt32 keyCode, UInt32 modifiers);
  // Runs `action` from a one-shot event-loop timer after `seconds`.
  void After(double seconds, void (*action)());

  std::unique_ptr<zarin_test::ScopedEnv> headless_;
  std::unique_ptr<zarin_test::ScopedEnv> resources_;
};

}  // namespace app_test
