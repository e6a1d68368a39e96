// Examining a VST without putting the program at risk: a child process loads the plug-in's
// code, opens the effect and reports what it says about itself; a plug-in that crashes,
// hangs or answers nothing is reported as failed with the reason.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

enum : OSErr {
  kProbeCrashedErr = -2806,   // the plug-in crashed while it was examined
  kProbeTimedOutErr = -2807,  // the plug-in did not answer in time
  kProbeNoEffectErr = -2808,  // the entry point answered no effect (or a wrong magic)
};

struct PluginProbeResult {
  OSErr status = noErr;       // noErr, a loader error or one of the codes above
  uint32_t uniqueId = 0;
  int32_t inputs = 0;
  int32_t outputs = 0;
  int32_t flags = 0;          // the effect's flags (editor 1, replacing 16, synth 256)
  int32_t category = 0;       // the effect's own category
  int32_t vstVersion = 0;
  bool hasVstMain = false;    // the code exports "VSTPluginMain"
  char name[64] = {};         // effect name, vendor string
  char vendor[64] = {};
  char message[160] = {};     // why it failed
};

// Starts examining the shared object at path in a child process that may take timeoutMs;
// tag names it in CollectVstProbes. False (and the reason in *failed) when no child could
// be started.
bool StartVstProbe(const char* path, int32_t timeoutMs, int32_t tag, PluginProbeResult* failed);
// Waits at most waitMs for running examinations; puts up to max finished ones (a plug-in
// that ran out of time is stopped) into results and tags; answers how many.
int32_t CollectVstProbes(int32_t waitMs, PluginProbeResult* results, int32_t* tags, int32_t max);
// The examinations still running.
int32_t CountRunningVstProbes();
// Stops every running examination (quit).
void StopVstProbes();

// Examines the shared object at path and waits for the answer (at most timeoutMs).
void ProbeVstPlugin(const char* path, int32_t timeoutMs, PluginProbeResult* result);

// The examination itself, in the process that runs it: loads the code, opens the effect and
// fills result. Only the helper program (or a child of this process) calls it.
void ExamineVstPluginHere(const char* path, PluginProbeResult* result);
// The helper program that examines one plug-in, "zarin-plugin-probe" beside the program;
// where it is missing the examination runs in a copy of this process instead.
constexpr const char* kProbeHelperName = "zarin-plugin-probe";
// Runs the helper program's work: examines path and writes the result's bytes to fd.
int RunProbeHelper(const char* path, int fd);
