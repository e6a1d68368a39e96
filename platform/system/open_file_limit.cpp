#include "platform/system/open_file_limit.h"

#include <sys/resource.h>

#include <cerrno>

uint64_t GetOpenFileLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
  return limit.rlim_cur == RLIM_INFINITY ? UINT64_MAX : uint64_t(limit.rlim_cur);
}

int RaiseOpenFileLimit(uint64_t wanted) {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return errno;
  if (limit.rlim_cur == RLIM_INFINITY || uint64_t(limit.rlim_cur) >= wanted) return 0;
  limit.rlim_cur = rlim_t(wanted);
  if (setrlimit(RLIMIT_NOFILE, &limit) != 0) return errno;
  return 0;
}
