// Examining the VST plug-ins that discovery found and the information file does not know
// yet: each is started once in a child process (plugin_probe.h), and what it says about
// itself (id, channel counts, whether it is an instrument, its editor, its vendor) goes into
// its entry and the information file. A plug-in that cannot be examined stays listed, not
// usable, with the reason in its entry's message and on standard error.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "plugins/library/plugin_probe.h"
#include "plugins/library/plugin_table.h"

constexpr int32_t kExaminationTimeoutMs = 20000;
constexpr int32_t kExaminationRetryTimeoutMs = 60000;  // a second try after running out of time
constexpr int32_t kParallelExaminations = 4;

// Queues the VST bundle entries from firstIndex on whose id is not known; the next
// ServicePluginExaminations starts them (the idle pass, so that start-up does not share the
// machine with them) and takes their answers: a scan does not wait for them.
void ExamineNewPlugins(int32_t firstIndex);
// Starts queued examinations while fewer than kParallelExaminations run.
void StartQueuedExaminations();
// Starts queued examinations, waits at most waitMs for answers, puts the answers into their
// entries and the information file. Answers how many examinations are still queued or
// running. The idle pass calls it with 0.
int32_t ServicePluginExaminations(int32_t waitMs);
// Services until every examination has answered or timeoutMs has passed; true when done.
bool WaitForPluginExaminations(int32_t timeoutMs);
// Stops the running examinations and forgets the queued ones (quit, tests).
void StopPluginExaminations();
// Puts a probe's answer into the entry (a failure marks it not usable).
void ApplyProbeResult(PluginInfo* entry, const PluginProbeResult& result);
