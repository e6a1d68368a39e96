#include "plugins/library/plugin_probe.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files/folders.h"
#include "platform/files/host_files.h"
#include "platform/vst/vst_interface.h"
#include "platform/vst/vst_loader.h"

namespace {

// What the child answers a plug-in that calls back while it is examined.
VstIntPtr ProbeHostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  switch (opcode) {
    case kAudioMasterVersion: return kVstVersion;
    case kAudioMasterGetSampleRate: return 44100;
    case kAudioMasterGetBlockSize: return 1024;
    default: return 0;
  }
}

void CopyText(char* to, size_t size, const char* from) {
  std::snprintf(to, size, "%s", from != nullptr ? from : "");
}

}  // namespace

void ExamineVstPluginHere(const char* path, PluginProbeResult* result) {
  void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    result->status = kVstNotSharedObject;
    std::snprintf(result->message, sizeof result->message,
                  "it is not a library this system can load (%s)", dlerror());
    return;
  }
  void* entry = dlsym(library, kVstPluginMainName);
  result->hasVstMain = entry != nullptr;
  if (entry == nullptr) entry = dlsym(library, "main");
  if (entry == nullptr) {
    result->status = kVstNoEntryPoint;
    CopyText(result->message, sizeof result->message,
             "it exports neither \"VSTPluginMain\" nor \"main\"");
    return;
  }
  AEffect* effect = reinterpret_cast<VstPluginMainProc>(entry)(ProbeHostCallback);
  if (effect == nullptr || effect->magic != kEffectMagic) {
    result->status = kProbeNoEffectErr;
    CopyText(result->message, sizeof result->message,
             effect == nullptr ? "its entry point answered no effect"
                               : "its entry point answered a record without the effect magic");
    return;
  }
  effect->dispatcher(effect, kEffOpen, 0, 0, nullptr, 0.0f);
  result->uniqueId = static_cast<uint32_t>(effect->uniqueID);
  result->inputs = effect->numInputs;
  result->outputs = effect->numOutputs;
  result->flags = effect->flags;
  result->category = static_cast<int32_t>(effect->dispatcher(effect, kEffGetPlugCategory, 0, 0, nullptr, 0.0f));
  result->vstVersion = static_cast<int32_t>(effect->dispatcher(effect, kEffGetVstVersion, 0, 0, nullptr, 0.0f));
  char text[256] = {};
  effect->dispatcher(effect, kEffGetEffectName, 0, 0, text, 0.0f);
  CopyText(result->name, sizeof result->name, text);
  std::memset(text, 0, sizeof text);
  effect->dispatcher(effect, kEffGetVendorString, 0, 0, text, 0.0f);
  CopyText(result->vendor, sizeof result->vendor, text);
  effect->dispatcher(effect, kEffClose, 0, 0, nullptr, 0.0f);
}

namespace {

bool WriteAll(int fd, const void* bytes, size_t size) {
  const char* at = static_cast<const char*>(bytes);
  while (size > 0) {
    ssize_t n = write(fd, at, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    at += n;
    size -= size_t(n);
  }
  return true;
}

// The helper program beside the running program (or the test's build), or "".
std::string ProbeHelperPath() {
  std::string beside = HostJoinPath(GetApplicationFolder(), kProbeHelperName);
  if (access(beside.c_str(), X_OK) == 0) return beside;
#ifdef ZARIN_PROBE_HELPER_PATH
  if (access(ZARIN_PROBE_HELPER_PATH, X_OK) == 0) return ZARIN_PROBE_HELPER_PATH;
#endif
  return {};
}

// A new process for the examination: the helper program when there is one (a fresh process
// that shares nothing with the program), else a copy of this one.
pid_t SpawnExamination(const char* path, int writeFd, int readFd) {
  std::string helper = ProbeHelperPath();
  if (!helper.empty()) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The read end closes at the exec by itself (close-on-exec); closing it here would close
    // the answer's descriptor 3 when the read end is descriptor 3.
    posix_spawn_file_actions_adddup2(&actions, writeFd, 3);
    char* argv[] = {const_cast<char*>(helper.c_str()), const_cast<char*>(path), nullptr};
    pid_t pid = -1;
    int failed = posix_spawn(&pid, helper.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? pid : -1;
  }
  pid_t pid = fork();
  if (pid == 0) {
    close(readFd);
    _exit(RunProbeHelper(path, writeFd));
  }
  return pid;
}

struct RunningProbe {
  pid_t pid = -1;
  int fd = -1;
  int32_t index = 0;
  std::vector<char> bytes;
  int64_t deadline = 0;
};

int64_t NowMs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

bool StartProbe(const char* path, int32_t index, int32_t timeoutMs, RunningProbe* probe,
                PluginProbeResult* result) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    result->status = -108;
    CopyText(result->message, sizeof result->message, std::strerror(errno));
    return false;
  }
  pid_t pid = SpawnExamination(path, fds[1], fds[0]);
  close(fds[1]);
  if (pid < 0) {
    close(fds[0]);
    result->status = -108;
    CopyText(result->message, sizeof result->message, std::strerror(errno));
    return false;
  }
  *probe = RunningProbe{pid, fds[0], index, {}, NowMs() + timeoutMs};
  return true;
}

// Reads what the child wrote; true once it closed its end.
bool DrainProbe(RunningProbe* probe) {
  char buffer[512];
  ssize_t n = read(probe->fd, buffer, sizeof buffer);
  if (n > 0) {
    probe->bytes.insert(probe->bytes.end(), buffer, buffer + n);
    return false;
  }
  return n == 0 || (errno != EINTR && errno != EAGAIN);
}

void FinishProbe(RunningProbe* probe, bool timedOut, PluginProbeResult* result) {
  close(probe->fd);
  if (timedOut) kill(probe->pid, SIGKILL);
  int status = 0;
  while (waitpid(probe->pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (timedOut) {
    result->status = kProbeTimedOutErr;
    CopyText(result->message, sizeof result->message, "it did not answer in time and was stopped");
  } else if (WIFSIGNALED(status)) {
    result->status = kProbeCrashedErr;
    std::snprintf(result->message, sizeof result->message, "it crashed (%s) when it was started",
                  strsignal(WTERMSIG(status)));
  } else if (probe->bytes.size() != sizeof(PluginProbeResult) && WIFEXITED(status) && WEXITSTATUS(status) != 0) {
    // A crash the helper's own handlers turned into an exit (a sanitizer does).
    result->status = kProbeCrashedErr;
    std::snprintf(result->message, sizeof result->message, "it crashed (exit status %d) when it was started",
                  WEXITSTATUS(status));
  } else if (probe->bytes.size() != sizeof(PluginProbeResult)) {
    result->status = kProbeCrashedErr;
    CopyText(result->message, sizeof result->message, "it ended the examination without an answer");
  } else {
    std::memcpy(static_cast<void*>(result), probe->bytes.data(), sizeof *result);
    result->message[sizeof result->message - 1] = '\0';
    result->name[sizeof result->name - 1] = '\0';
    result->vendor[sizeof result->vendor - 1] = '\0';
  }
}

std::vector<RunningProbe> gRunning;

}  // namespace

bool StartVstProbe(const char* path, int32_t timeoutMs, int32_t tag, PluginProbeResult* failed) {
  *failed = PluginProbeResult();
  RunningProbe probe;
  if (!StartProbe(path, tag, timeoutMs, &probe, failed)) return false;
  gRunning.push_back(probe);
  return true;
}

int32_t CollectVstProbes(int32_t waitMs, PluginProbeResult* results, int32_t* tags, int32_t max) {
  if (gRunning.empty() || max <= 0) return 0;
  std::vector<pollfd> fds;
  int64_t now = NowMs();
  int64_t wait = waitMs;
  for (const RunningProbe& probe : gRunning) {
    fds.push_back(pollfd{probe.fd, POLLIN, 0});
    if (probe.deadline - now < wait) wait = probe.deadline - now;
  }
  poll(fds.data(), fds.size(), int(wait > 0 ? wait : 0));
  now = NowMs();
  int32_t finished = 0;
  for (size_t i = gRunning.size(); i-- > 0 && finished < max;) {
    RunningProbe& probe = gRunning[i];
    bool done = (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0 && DrainProbe(&probe);
    bool late = !done && now >= probe.deadline;
    if (!done && !late) continue;
    results[finished] = PluginProbeResult();
    FinishProbe(&probe, late, &results[finished]);
    tags[finished++] = probe.index;
    gRunning.erase(gRunning.begin() + long(i));
  }
  return finished;
}

int RunProbeHelper(const char* path, int fd) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (nice(19) == -1) {
  }  // the program comes first
  int quiet = open("/dev/null", O_WRONLY);
  if (quiet >= 0) dup2(quiet, STDOUT_FILENO);  // what the plug-in prints goes nowhere
  PluginProbeResult answer;
  ExamineVstPluginHere(path, &answer);
  return WriteAll(fd, &answer, sizeof answer) ? 0 : 1;
}

int32_t CountRunningVstProbes() { return int32_t(gRunning.size()); }

void StopVstProbes() {
  for (RunningProbe& probe : gRunning) {
    PluginProbeResult ignored;
    FinishProbe(&probe, true, &ignored);
  }
  gRunning.clear();
}

void ProbeVstPlugin(const char* path, int32_t timeoutMs, PluginProbeResult* result) {
  RunningProbe probe;
  *result = PluginProbeResult();
  if (!StartProbe(path, 0, timeoutMs, &probe, result)) return;
  for (;;) {
    pollfd fd{probe.fd, POLLIN, 0};
    int64_t left = probe.deadline - NowMs();
    poll(&fd, 1, int(left > 0 ? left : 0));
    if ((fd.revents & (POLLIN | POLLHUP | POLLERR)) != 0 && DrainProbe(&probe)) {
      FinishProbe(&probe, false, result);
      return;
    }
    if (NowMs() >= probe.deadline) {
      FinishProbe(&probe, true, result);
      return;
    }
  }
}
