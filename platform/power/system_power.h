// System sleep notifications, backed by systemd-logind's PrepareForSleep signal on the system
// D-Bus. While registered, the program holds a "delay" sleep inhibitor, so the machine sleeps
// only after the program has answered the will-sleep message with IOAllowPowerChange.
//
// Connections, ports and notifiers are 32-bit ids (0 = none). Messages reach the callback only
// from ServiceRunLoopPowerSources, which the event loop calls on the main thread while the
// port's run-loop source is added.
#pragma once

#include <cstdint>

using IOReturn = int32_t;
using io_connect_t = uint32_t;
using io_object_t = uint32_t;
using IONotificationPortRef = uint32_t;
using PowerRunLoopSourceRef = uint32_t;

constexpr IOReturn kIOReturnSuccess = 0;
constexpr IOReturn kIOReturnBadArgument = -536870206;  // 0xE00002C2

// Message types handed to the callback.
constexpr uint32_t kIOMessageCanSystemSleep = 0xE0000270;
constexpr uint32_t kIOMessageSystemWillSleep = 0xE0000280;
constexpr uint32_t kIOMessageSystemHasPoweredOn = 0xE0000300;

using IOServiceInterestCallback = void (*)(void* refcon, io_object_t service, uint32_t messageType,
                                           intptr_t messageArgument);

// Connects to the system bus and subscribes to the sleep signal. Returns the root connection,
// or 0 when there is no system bus or the subscription fails (*port and *notifier are then 0).
io_connect_t IORegisterForSystemPower(void* refcon, IONotificationPortRef* port,
                                      IOServiceInterestCallback callback, io_object_t* notifier);
// Answers a will-sleep (or can-sleep) message: releases the sleep delay.
IOReturn IOAllowPowerChange(io_connect_t connection, intptr_t notificationId);
// Ends the subscription and clears *notifier.
IOReturn IODeregisterForSystemPower(io_object_t* notifier);
// Closes the root connection.
IOReturn IOServiceClose(io_connect_t connection);
void IONotificationPortDestroy(IONotificationPortRef port);

// The source that delivers a port's messages; 0 for a bad port.
PowerRunLoopSourceRef IONotificationPortGetRunLoopSource(IONotificationPortRef port);
void AddRunLoopPowerSource(PowerRunLoopSourceRef source);
void RemoveRunLoopPowerSource(PowerRunLoopSourceRef source);
// The file descriptor the event loop may wait on for a source (-1 for none).
int GetRunLoopPowerSourceFd(PowerRunLoopSourceRef source);
// Waits at most timeoutMillis (0: no wait) for bus traffic on the added sources and delivers
// every pending message; returns the number of messages delivered to callbacks.
int32_t ServiceRunLoopPowerSources(int32_t timeoutMillis);
