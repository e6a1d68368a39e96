// The one main() of every test program. Each program runs with its own standard
// folders under a temporary folder, so no test touches the user's settings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/test_support.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  zarin_test::TempFolder home;
  setenv("XDG_CONFIG_HOME", (home.path() + "/config").c_str(), 1);
  setenv("XDG_DATA_HOME", (home.path() + "/data").c_str(), 1);
  return RUN_ALL_TESTS();
}
