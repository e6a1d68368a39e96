#include "platform/threads/realtime_deadlines.h"

timespec RealtimeDeadlineIn(uint64_t micros) {
  timespec t{};
  clock_gettime(CLOCK_REALTIME, &t);
  uint64_t ns = uint64_t(t.tv_nsec) + micros * 1000;
  t.tv_sec += time_t(ns / 1000000000);
  t.tv_nsec = long(ns % 1000000000);
  return t;
}
