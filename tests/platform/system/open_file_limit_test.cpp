#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cerrno>

#include "platform/system/open_file_limit.h"

namespace {

class OpenFileLimitTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved_), 0); }
  void TearDown() override { setrlimit(RLIMIT_NOFILE, &saved_); }

  bool HardLimitAtLeast(rlim_t value) const {
    return saved_.rlim_max == RLIM_INFINITY || saved_.rlim_max >= value;
  }
  void SetSoftLimit(rlim_t value) {
    rlimit limit = saved_;
    limit.rlim_cur = value;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
  }
  rlimit saved_{};
};

TEST_F(OpenFileLimitTest, LowLimitIsRaisedToExactlyTheWantedValue) {
  if (!HardLimitAtLeast(2048)) GTEST_SKIP() << "hard limit below 2048";
  SetSoftLimit(256);
  EXPECT_EQ(RaiseOpenFileLimit(2048), 0);
  EXPECT_EQ(GetOpenFileLimit(), 2048u);
  SetSoftLimit(2047);
  EXPECT_EQ(RaiseOpenFileLimit(2048), 0);
  EXPECT_EQ(GetOpenFileLimit(), 2048u);
}

TEST_F(OpenFileLimitTest, LimitAtOrAboveTheWantedValueIsLeftAlone) {
  if (!HardLimitAtLeast(4096)) GTEST_SKIP() << "hard limit below 4096";
  for (rlim_t soft : {rlim_t(2048), rlim_t(4096)}) {
    SetSoftLimit(soft);
    EXPECT_EQ(RaiseOpenFileLimit(2048), 0);
    EXPECT_EQ(GetOpenFileLimit(), uint64_t(soft));
  }
}

TEST_F(OpenFileLimitTest, WantingMoreThanTheHardLimitFailsAndChangesNothing) {
  if (saved_.rlim_max == RLIM_INFINITY) GTEST_SKIP() << "no hard limit";
  SetSoftLimit(saved_.rlim_max / 2);
  EXPECT_EQ(RaiseOpenFileLimit(uint64_t(saved_.rlim_max) + 1), EINVAL);
  EXPECT_EQ(GetOpenFileLimit(), uint64_t(saved_.rlim_max / 2));
}

}  // namespace
