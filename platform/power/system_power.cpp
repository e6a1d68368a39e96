#include "platform/power/system_power.h"

#include <fcntl.h>
#include <poll.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <vector>

namespace {

constexpr const char* kLoginService = "org.freedesktop.login1";
constexpr const char* kLoginPath = "/org/freedesktop/login1";
constexpr const char* kLoginManager = "org.freedesktop.login1.Manager";
constexpr uint64_t kMethodTimeoutMicros = 500000;  // every call to logind has a bound

// One registration: the bus connection, the signal subscription and the sleep delay lock.
// The connection, port, notifier and run-loop source share the registration's id.
struct Registration {
  uint32_t id = 0;
  sd_bus* bus = nullptr;
  sd_bus_slot* slot = nullptr;
  int inhibitFd = -1;
  IOServiceInterestCallback callback = nullptr;
  void* refcon = nullptr;
  bool portAlive = false;
  bool sourceAdded = false;
};

std::map<uint32_t, std::unique_ptr<Registration>> gRegistrations;
uint32_t gNextId = 1;
int32_t gDelivered = 0;

Registration* Find(uint32_t id) {
  auto it = gRegistrations.find(id);
  return it == gRegistrations.end() ? nullptr : it->second.get();
}

// Frees a registration once its connection, subscription and port are all gone.
void ForgetIfDone(Registration* reg) {
  if (reg->bus || reg->slot || reg->portAlive) return;
  gRegistrations.erase(reg->id);
}

void ReleaseSleepDelay(Registration* reg) {
  if (reg->inhibitFd >= 0) close(reg->inhibitFd);
  reg->inhibitFd = -1;
}

// Takes logind's "delay" sleep inhibitor; without logind the program is only told.
void TakeSleepDelay(Registration* reg) {
  if (!reg->bus || reg->inhibitFd >= 0) return;
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  int r = sd_bus_call_method(reg->bus, kLoginService, kLoginPath, kLoginManager, "Inhibit", &error, &reply,
                             "ssss", "sleep", "Zarin", "Stopping audio output before sleep", "delay");
  int fd = -1;
  if (r >= 0 && sd_bus_message_read(reply, "h", &fd) >= 0 && fd >= 0)
    reg->inhibitFd = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  sd_bus_error_free(&error);
  sd_bus_message_unref(reply);
}

int OnPrepareForSleep(sd_bus_message* message, void* userdata, sd_bus_error*) {
  Registration* reg = Find(uint32_t(reinterpret_cast<uintptr_t>(userdata)));
  int start = 0;
  if (!reg || !reg->callback || sd_bus_message_read(message, "b", &start) < 0) return 0;
  ++gDelivered;
  if (start) {
    reg->callback(reg->refcon, 0, kIOMessageSystemWillSleep, intptr_t(reg->id));
  } else {
    TakeSleepDelay(reg);
    reg->callback(reg->refcon, 0, kIOMessageSystemHasPoweredOn, 0);
  }
  return 0;
}

bool Subscribe(Registration* reg) {
  if (sd_bus_open_system(&reg->bus) < 0) {
    reg->bus = nullptr;
    return false;
  }
  sd_bus_set_method_call_timeout(reg->bus, kMethodTimeoutMicros);
  void* userdata = reinterpret_cast<void*>(uintptr_t(reg->id));
  if (sd_bus_match_signal(reg->bus, &reg->slot, kLoginService, kLoginPath, kLoginManager, "PrepareForSleep",
                          OnPrepareForSleep, userdata) < 0) {
    reg->slot = nullptr;
    reg->bus = sd_bus_flush_close_unref(reg->bus);
    return false;
  }
  return true;
}

void DispatchPending(Registration* reg) {
  while (reg->bus && sd_bus_process(reg->bus, nullptr) > 0) {
  }
}

}  // namespace

io_connect_t IORegisterForSystemPower(void* refcon, IONotificationPortRef* port,
                                      IOServiceInterestCallback callback, io_object_t* notifier) {
  if (port) *port = 0;
  if (notifier) *notifier = 0;
  auto reg = std::make_unique<Registration>();
  reg->id = gNextId++;
  reg->callback = callback;
  reg->refcon = refcon;
  Registration* r = reg.get();
  gRegistrations[r->id] = std::move(reg);
  if (!callback || !Subscribe(r)) {
    gRegistrations.erase(r->id);
    return 0;
  }
  TakeSleepDelay(r);
  r->portAlive = true;
  if (port) *port = r->id;
  if (notifier) *notifier = r->id;
  return r->id;
}

IOReturn IOAllowPowerChange(io_connect_t connection, intptr_t) {
  Registration* reg = Find(connection);
  if (!reg || !reg->bus) return kIOReturnBadArgument;
  ReleaseSleepDelay(reg);
  return kIOReturnSuccess;
}

IOReturn IODeregisterForSystemPower(io_object_t* notifier) {
  Registration* reg = notifier ? Find(*notifier) : nullptr;
  if (!reg || !reg->slot) return kIOReturnBadArgument;
  reg->slot = sd_bus_slot_unref(reg->slot);
  *notifier = 0;
  ForgetIfDone(reg);
  return kIOReturnSuccess;
}

IOReturn IOServiceClose(io_connect_t connection) {
  Registration* reg = Find(connection);
  if (!reg || !reg->bus) return kIOReturnBadArgument;
  ReleaseSleepDelay(reg);
  reg->slot = sd_bus_slot_unref(reg->slot);
  reg->bus = sd_bus_flush_close_unref(reg->bus);
  ForgetIfDone(reg);
  return kIOReturnSuccess;
}

void IONotificationPortDestroy(IONotificationPortRef port) {
  Registration* reg = Find(port);
  if (!reg || !reg->portAlive) return;
  reg->portAlive = false;
  reg->sourceAdded = false;
  ForgetIfDone(reg);
}

PowerRunLoopSourceRef IONotificationPortGetRunLoopSource(IONotificationPortRef port) {
  Registration* reg = Find(port);
  return reg && reg->portAlive ? port : 0;
}

void AddRunLoopPowerSource(PowerRunLoopSourceRef source) {
  if (Registration* reg = Find(source)) reg->sourceAdded = reg->portAlive;
}

void RemoveRunLoopPowerSource(PowerRunLoopSourceRef source) {
  if (Registration* reg = Find(source)) reg->sourceAdded = false;
}

int GetRunLoopPowerSourceFd(PowerRunLoopSourceRef source) {
  Registration* reg = Find(source);
  return reg && reg->bus ? sd_bus_get_fd(reg->bus) : -1;
}

int32_t ServiceRunLoopPowerSources(int32_t timeoutMillis) {
  gDelivered = 0;
  std::vector<pollfd> fds;
  std::vector<uint32_t> ids;
  for (auto& [id, reg] : gRegistrations) {
    if (!reg->sourceAdded || !reg->bus) continue;
    DispatchPending(reg.get());  // messages already read from the socket
    int events = sd_bus_get_events(reg->bus);
    fds.push_back({sd_bus_get_fd(reg->bus), short(events > 0 ? events : POLLIN), 0});
    ids.push_back(id);
  }
  if (fds.empty()) return gDelivered;
  if (timeoutMillis > 0) poll(fds.data(), fds.size(), timeoutMillis);
  for (uint32_t id : ids)
    if (Registration* reg = Find(id)) DispatchPending(reg);
  return gDelivered;
}
