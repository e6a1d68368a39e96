// The periodic work: one event-loop timer of adaptive rate runs the idle pass, which serves
// a quit request, deferred window redraws and the per-window idle steps.
#pragma once

#include <cstdint>

#include "platform/events/carbon_events.h"

constexpr EventTimerInterval kIdleFirstInterval = 1.0;
constexpr EventTimerInterval kIdleSlowInterval = 0.1;
constexpr EventTimerInterval kIdlePlayInterval = 1.0 / 30;

struct IdleTimerRecord {
  EventLoopRef loop = nullptr;
  EventLoopTimerRef timer = nullptr;
  EventTimerInterval interval = 0;
};
extern IdleTimerRecord gIdleTimer;

// Installs the timer on the main loop: first firing after 1 s, then every second until the
// first firing chooses the rate. A second call replaces the timer.
void InstallIdleTimer();
void RemoveIdleTimer();
// The timer procedure. A quit request ends the event loop before any of the idle gates is
// looked at, so quitting never waits for them.
void RunIdleTimer(EventLoopTimerRef timer, void* record);
// The interval the timer should run at now.
EventTimerInterval ChooseIdleInterval();
// One idle pass.
void RunIdleTasks();
// While real-time processing is on, prepares the output of each switched-on processor's
// device kind (processors without a kind are skipped).
void PrepareNodeOutputs();
// Redraws the window of kind k (nothing when it has none).
void RedrawAppWindowOfKind(int16_t kind);
