#include "audio/devices/audio_driver.h"

#include "audio/devices/coreaudio_devices.h"
#include "audio/devices/coreaudio_io.h"
#include "audio/engine/engine_run_state.h"
#include "platform/threads/thread_pauses.h"

AudioDriverOps* gOutputDevices = nullptr;
std::atomic<int32_t> gAudioDriverState{kDriverNothingStarted};
std::atomic<int32_t> gAudioBufferFrames{1024};
float gAudioSampleRate = 44100.0f;

int32_t GetAudioDriverState() { return gAudioDriverState.load(); }

bool AudioDriverTransitionAllowed(int32_t from, int32_t to) {
  switch (from) {
    case kDriverNothingStarted: return to == kDriverPrime;
    case kDriverIdle: return to == kDriverPrime || to == kDriverInputOnly || to == kDriverNothingStarted ||
                             to == kDriverStopInput || to == kDriverStopOutput;
    case kDriverPrime: return to == kDriverWarmUp || to == kDriverIdle || to == kDriverStopInput ||
                              to == kDriverStopOutput || to == kDriverNothingStarted;
    case kDriverWarmUp: return to == kDriverHandOff || to == kDriverRunningAtRate || to == kDriverIdle ||
                               to == kDriverStopInput || to == kDriverStopOutput || to == kDriverNothingStarted;
    case kDriverHandOff:
    case kDriverHandOff5: return to == kDriverHandOff || to == kDriverHandOff5 || to == kDriverRunningAtRate ||
                                 to == kDriverIdle || to == kDriverStopInput || to == kDriverStopOutput ||
                                 to == kDriverNothingStarted;
    case kDriverRunningAtRate: return to == kDriverIdle || to == kDriverStopInput || to == kDriverStopOutput ||
                                      to == kDriverNothingStarted;
    case kDriverInputOnly: return to == kDriverIdle || to == kDriverPrime || to == kDriverStopInput ||
                                  to == kDriverStopOutput || to == kDriverNothingStarted;
    case kDriverStopInput: return to == kDriverStopOutput || to == kDriverStoppedInCallback;
    case kDriverStopOutput: return to == kDriverStoppedInCallback;
    case kDriverStoppedInCallback: return to == kDriverNothingStarted || to == kDriverPrime;
    default: return false;
  }
}

bool SetAudioDriverState(int32_t state) {
  int32_t from = gAudioDriverState.load();
  if (from != state && !AudioDriverTransitionAllowed(from, state)) return false;
  gAudioDriverState.store(state);
  return true;
}

int32_t WaitForAudioDriverState(int32_t wanted, int32_t orWanted, int32_t maxPolls) {
  if (maxPolls <= 0) maxPolls = 40000;
  int32_t state = gAudioDriverState.load();
  for (int32_t i = 0; i < maxPolls && state != wanted && state != orWanted; ++i) {
    PauseThreadMicros(50);
    state = gAudioDriverState.load();
  }
  return state;
}

int32_t GetAudioMode() {
  int32_t mode = gAudioModeRecord[3];
  return mode == 0 ? 3 : mode;
}

void SetAudioMode(int32_t mode) { gAudioModeRecord[3] = uint8_t(mode); }

int32_t InstallAudioDrivers(char* startupString) {
  AudioDriverOps* drivers[] = {&gCoreAudioDriver};
  for (AudioDriverOps* driver : drivers) {
    int16_t err = driver->Init ? driver->Init(startupString) : int16_t(-4);
    if (err != 0 && err != kNoInputDeviceFound) continue;
    bool listed = false;
    for (AudioDriverOps* d = gOutputDevices; d; d = d->next) listed = listed || d == driver;
    if (listed) continue;
    driver->next = gOutputDevices;
    gOutputDevices = driver;
  }
  int32_t count = 0;
  for (AudioDriverOps* d = gOutputDevices; d; d = d->next) ++count;
  return count;
}

void CloseOutputDevices() {
  for (AudioDriverOps* d = gOutputDevices; d; d = d->next)
    if (d->Close) d->Close();
}
