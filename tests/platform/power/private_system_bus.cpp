#include "tests/platform/power/private_system_bus.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace zarin_test {

namespace {

bool WaitFor(const std::string& path, std::chrono::milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  struct stat st;
  while (std::chrono::steady_clock::now() < end) {
    if (stat(path.c_str(), &st) == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// The socket exists as soon as the daemon binds it, a moment before it listens: a refused
// connection is tried again until the limit.
sd_bus* ConnectAsLoginManager(const std::string& address, std::chrono::milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    sd_bus* bus = nullptr;
    if (sd_bus_new(&bus) < 0) return nullptr;
    sd_bus_set_address(bus, address.c_str());
    sd_bus_set_bus_client(bus, 1);
    if (sd_bus_start(bus) >= 0 && sd_bus_request_name(bus, "org.freedesktop.login1", 0) >= 0) return bus;
    sd_bus_flush_close_unref(bus);
    if (std::chrono::steady_clock::now() >= end) return nullptr;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace

PrivateSystemBus::PrivateSystemBus() {
  std::string socket = folder_.File("system_bus");
  address_ = "unix:path=" + socket;
  std::string addressArg = "--address=" + address_;
  const char* argv[] = {"dbus-daemon", "--session", "--nofork", "--nopidfile", addressArg.c_str(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  int spawned = posix_spawnp(&daemon_, "dbus-daemon", &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    daemon_ = -1;
    return;
  }
  if (!WaitFor(socket, std::chrono::seconds(5))) return;
  env_ = std::make_unique<ScopedEnv>("DBUS_SYSTEM_BUS_ADDRESS", address_);
  manager_ = ConnectAsLoginManager(address_, std::chrono::seconds(5));
}

PrivateSystemBus::~PrivateSystemBus() {
  if (manager_) sd_bus_flush_close_unref(manager_);
  if (daemon_ <= 0) return;
  kill(daemon_, SIGTERM);
  for (int i = 0; i < 200; ++i) {
    if (waitpid(daemon_, nullptr, WNOHANG) == daemon_) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(daemon_, SIGKILL);
  waitpid(daemon_, nullptr, 0);
}

bool PrivateSystemBus::EmitPrepareForSleep(bool start) {
  if (!manager_) return false;
  int r = sd_bus_emit_signal(manager_, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                             "PrepareForSleep", "b", int(start));
  return r >= 0 && sd_bus_flush(manager_) >= 0;
}

}  // namespace zarin_test
