// A private D-Bus daemon that stands in for the system bus during a test, and a connection on
// it that speaks as the login manager.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

#include "tests/test_support.h"

struct sd_bus;

namespace zarin_test {

class PrivateSystemBus {
 public:
  // Starts dbus-daemon on a socket in a temporary folder and points DBUS_SYSTEM_BUS_ADDRESS
  // at it. ok() is false when the daemon could not be started.
  PrivateSystemBus();
  ~PrivateSystemBus();
  PrivateSystemBus(const PrivateSystemBus&) = delete;
  PrivateSystemBus& operator=(const PrivateSystemBus&) = delete;

  bool ok() const { return manager_ != nullptr; }
  // Sends PrepareForSleep(start) as the login manager would.
  bool EmitPrepareForSleep(bool start);

 private:
  TempFolder folder_;
  std::string address_;
  pid_t daemon_ = -1;
  std::unique_ptr<ScopedEnv> env_;
  sd_bus* manager_ = nullptr;
};

}  // namespace zarin_test
