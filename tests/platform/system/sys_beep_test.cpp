#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <thread>

#include "platform/system/sys_beep.h"

namespace {

// Points standard error at a pipe for the lifetime of the object.
class StderrPipe {
 public:
  StderrPipe() {
    EXPECT_EQ(pipe(fds_), 0);
    saved_ = dup(STDERR_FILENO);
    dup2(fds_[1], STDERR_FILENO);
  }
  ~StderrPipe() {
    dup2(saved_, STDERR_FILENO);
    close(saved_);
    close(fds_[0]);
    close(fds_[1]);
  }
  int readEnd() const { return fds_[0]; }
  int writeEnd() const { return fds_[1]; }

  // Everything waiting in the pipe, without blocking.
  std::string Drain() {
    fcntl(fds_[0], F_SETFL, fcntl(fds_[0], F_GETFL) | O_NONBLOCK);
    std::string bytes;
    char buffer[4096];
    ssize_t got;
    while ((got = read(fds_[0], buffer, sizeof buffer)) > 0) bytes.append(buffer, size_t(got));
    return bytes;
  }

 private:
  int fds_[2] = {-1, -1};
  int saved_ = -1;
};

TEST(SysBeepTest, WritesBellAndCounts) {
  ResetSysBeepCountForTesting();
  StderrPipe errors;
  SysBeep(5);
  SysBeep(2);
  EXPECT_EQ(GetSysBeepCount(), 2u);
  EXPECT_EQ(errors.Drain(), "\a\a");
}

TEST(SysBeepTest, NeverWaitsOnAFullStandardError) {
  ResetSysBeepCountForTesting();
  StderrPipe errors;
  // Fill the pipe, then make its write end blocking again: a plain write would now hang.
  int flags = fcntl(errors.writeEnd(), F_GETFL);
  fcntl(errors.writeEnd(), F_SETFL, flags | O_NONBLOCK);
  const std::string block(4096, 'x');
  while (write(errors.writeEnd(), block.data(), block.size()) > 0) {
  }
  while (write(errors.writeEnd(), "x", 1) > 0) {
  }
  fcntl(errors.writeEnd(), F_SETFL, flags);

  std::future<void> beep = std::async(std::launch::async, [] { SysBeep(1); });
  bool returned = beep.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
  if (!returned) errors.Drain();  // let a stuck beep finish so the test can end
  beep.wait();
  EXPECT_TRUE(returned);
  EXPECT_EQ(GetSysBeepCount(), 1u);
}

}  // namespace
