#include "plugins/library/plugin_examination.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "platform/memory/memory.h"
#include "platform/vst/vst_interface.h"
#include "plugins/library/plugin_bundles.h"
#include "plugins/library/plugin_info_file.h"
#include "plugins/library/plugin_name_split.h"

namespace {

bool NeedsExamination(const PluginInfo* entry) {
  return entry->kind == kPluginKindVstBundle && entry->bundle != 0 && entry->uniqueId == 0 &&
         entry->failure == noErr;
}

void ReportFailure(const PluginInfo* entry) {
  std::fprintf(stderr, "Plug-in \"%.*s\" (%s) cannot be used: %s\n", entry->name[0],
               reinterpret_cast<const char*>(entry->name + 1), entry->path, entry->message);
}

struct Pending {
  int32_t index;
  std::string path;
  int32_t timeoutMs = kExaminationTimeoutMs;
};

std::deque<Pending> gQueue;
std::vector<int32_t> gRunningIndexes;
std::vector<int32_t> gRunningTimeouts;  // beside gRunningIndexes

// Forgets a running examination; its time limit.
int32_t TakeRunning(int32_t index) {
  int32_t timeout = kExaminationTimeoutMs;
  for (size_t i = 0; i < gRunningIndexes.size(); ++i) {
    if (gRunningIndexes[i] != index) continue;
    timeout = gRunningTimeouts[i];
    gRunningIndexes.erase(gRunningIndexes.begin() + long(i));
    gRunningTimeouts.erase(gRunningTimeouts.begin() + long(i));
    break;
  }
  return timeout;
}

// The answered entries' records, written to the file at once.
void StoreAnswers(const std::vector<int32_t>& indexes) {
  OSErr err = noErr;
  Handle cache = OpenPluginInfoFile(false, &err);
  if (!cache) cache = NewHandle(0);
  if (!cache) return;
  for (int32_t index : indexes)
    if (PluginInfo* entry = PluginInfoAt(index))
      AccessCachedPluginRecord(entry, kCacheStore, nullptr, cache);
  WritePluginInfoFile(cache);
  DisposeHandle(cache);
}

}  // namespace

void StartQueuedExaminations() {
  while (!gQueue.empty() && CountRunningVstProbes() < kParallelExaminations) {
    Pending next = gQueue.front();
    gQueue.pop_front();
    PluginProbeResult failed;
    if (StartVstProbe(next.path.c_str(), next.timeoutMs, next.index, &failed)) {
      gRunningIndexes.push_back(next.index);
      gRunningTimeouts.push_back(next.timeoutMs);
    } else if (PluginInfo* entry = PluginInfoAt(next.index)) {
      ApplyProbeResult(entry, failed);
    }
  }
}

void ApplyProbeResult(PluginInfo* entry, const PluginProbeResult& result) {
  if (result.status != noErr) {
    entry->failure = result.status;
    std::snprintf(entry->message, sizeof entry->message, "%s", result.message);
    entry->entryFlags &= uint8_t(~kPluginEntryUsable);
    ReportFailure(entry);
    return;
  }
  entry->uniqueId = result.uniqueId;
  entry->inputCount = uint16_t(result.inputs < 0 ? 0 : result.inputs);
  entry->outputCount = uint16_t(result.outputs < 0 ? 0 : result.outputs);
  if (result.hasVstMain) entry->pluginFlags |= kPluginFlagVstMain;
  if ((result.flags & kEffFlagsHasEditor) != 0) entry->entryFlags |= kPluginEntryHasEditor;
  if ((result.flags & kEffFlagsIsSynth) != 0 || (result.inputs == 0 && result.outputs > 0)) {
    entry->entryFlags |= kPluginEntryInstrument;
    entry->pluginFlags |= kPluginFlagInstrument;
  }
  ApplyPluginVendor(entry, result.vendor);
}

void ExamineNewPlugins(int32_t firstIndex) {
  for (int32_t i = firstIndex; i < CountPlugins(); ++i) {
    const PluginInfo* entry = PluginInfoAt(i);
    if (!NeedsExamination(entry)) continue;
    bool known = false;
    for (const Pending& pending : gQueue) known = known || pending.index == i;
    for (int32_t index : gRunningIndexes) known = known || index == i;
    if (!known) gQueue.push_back(Pending{i, GetPluginBundleExecutablePath(entry->bundle)});
  }
}

int32_t ServicePluginExaminations(int32_t waitMs) {
  std::vector<int32_t> answered;
  StartQueuedExaminations();
  PluginProbeResult results[kParallelExaminations];
  int32_t tags[kParallelExaminations];
  int32_t n = CollectVstProbes(waitMs, results, tags, kParallelExaminations);
  for (int32_t k = 0; k < n; ++k) {
    int32_t timeout = TakeRunning(tags[k]);
    PluginInfo* entry = PluginInfoAt(tags[k]);
    if (entry == nullptr) continue;
    // A busy machine may hold an examination up: one more try with a longer limit.
    if (results[k].status == kProbeTimedOutErr && timeout == kExaminationTimeoutMs) {
      gQueue.push_back(Pending{tags[k], GetPluginBundleExecutablePath(entry->bundle),
                               kExaminationRetryTimeoutMs});
      continue;
    }
    ApplyProbeResult(entry, results[k]);
    if (results[k].status == noErr) answered.push_back(tags[k]);
  }
  if (!answered.empty()) StoreAnswers(answered);
  return int32_t(gQueue.size()) + CountRunningVstProbes();
}

bool WaitForPluginExaminations(int32_t timeoutMs) {
  timespec start;
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (;;) {
    if (ServicePluginExaminations(100) == 0) return true;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    int64_t ms = (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
    if (ms >= timeoutMs) return false;
  }
}

void StopPluginExaminations() {
  StopVstProbes();
  gQueue.clear();
  gRunningIndexes.clear();
  gRunningTimeouts.clear();
}
