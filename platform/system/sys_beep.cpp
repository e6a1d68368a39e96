#include "platform/system/sys_beep.h"

#include <poll.h>
#include <unistd.h>

#include <atomic>

namespace {

std::atomic<UInt32> gSysBeepCount{0};

}  // namespace

void SysBeep(short /*duration*/) {
  gSysBeepCount.fetch_add(1, std::memory_order_relaxed);
  pollfd errorOutput{STDERR_FILENO, POLLOUT, 0};
  if (poll(&errorOutput, 1, 0) == 1 && (errorOutput.revents & POLLOUT) != 0) {
    const char bell = '\a';
    ssize_t written = write(STDERR_FILENO, &bell, 1);
    (void)written;  // a beep that cannot be heard is not an error
  }
}

UInt32 GetSysBeepCount() { return gSysBeepCount.load(std::memory_order_relaxed); }

void ResetSysBeepCountForTesting() { gSysBeepCount.store(0, std::memory_order_relaxed); }
