// IO procedures and output contributors: installing, starting and stopping them, and bringing
// a device's hardware up and down with them. Calls from a device thread (an IO procedure
// stopping itself) work on the slots' atomic words only and never lock or wait.
#include <ctime>

#include "platform/coreaudio/audio_hardware.h"
#include "platform/coreaudio/audio_internal.h"
#include "platform/system/host_time.h"

namespace {

IOProcSlot* FindProcSlot(AudioDeviceRecord* device, AudioDeviceIOProc proc) {
  for (IOProcSlot& slot : device->procs) {
    if (slot.state.load(std::memory_order_acquire) == kSlotInstalled && slot.proc.load() == proc) return &slot;
  }
  return nullptr;
}

bool AnyProcStarted(const AudioDeviceRecord* device) {
  for (const IOProcSlot& slot : device->procs) {
    if (slot.state.load(std::memory_order_acquire) == kSlotInstalled && slot.started.load()) return true;
  }
  return false;
}

// 'goin' falls when no procedure is started any more.
void UpdateRunningAfterStop(AudioDeviceRecord* device) {
  if (!AnyProcStarted(device) && device->running.exchange(false)) {
    PostDevicePropertyNotice(device->id, kAudioDevicePropertyDeviceIsRunning);
  }
}

// The lock-free path for calls made on a device thread.
OSStatus StopOrRemoveOnDeviceThread(AudioDeviceRecord* device, AudioDeviceIOProc proc, bool remove) {
  IOProcSlot* slot = FindProcSlot(device, proc);
  if (slot == nullptr) return kAudioHardwareIllegalOperationError;
  slot->started.store(false);
  if (remove) {
    UInt32 expected = kSlotInstalled;
    slot->state.compare_exchange_strong(expected, kSlotFree);
  }
  UpdateRunningAfterStop(device);
  return kAudioHardwareNoError;
}

AudioDeviceRecord* LookUp(AudioDeviceID id) {
  EnsureAudioHardware();
  return FindAudioDevice(id);
}

}  // namespace

bool DeviceHasWork(const AudioDeviceRecord* device) {
  if (AnyProcStarted(device)) return true;
  for (const ContributorSlot& slot : device->contributors) {
    if (slot.state.load(std::memory_order_acquire) == kSlotInstalled) return true;
  }
  return false;
}

void WaitForCycleBoundary(AudioDeviceRecord* device) {
  if (OnDeviceThread(device)) return;
  UInt64 seen = device->cycleSequence.load();
  if ((seen & 1) == 0) return;
  UInt64 deadline = HostTimeNanos() + kDeviceWaitNanos;
  while (device->cycleSequence.load() == seen && HostTimeNanos() < deadline) {
    timespec pause{0, 20000};
    nanosleep(&pause, nullptr);
  }
}

void SyncDeviceHardware(AudioDeviceRecord* device) {
  bool work = DeviceHasWork(device) && device->alive.load();
  if (work && !device->hardwareRunning) {
    device->idleNoticePosted.store(false);
    if (device->ops->startHardware(device) == kAudioHardwareNoError) device->hardwareRunning = true;
  } else if (work) {
    device->idleNoticePosted.store(false);
  } else if (device->hardwareRunning) {
    device->ops->stopHardware(device);
    device->hardwareRunning = false;
  }
}

void HandleDeviceIdleNotice(AudioDeviceRecord* device) {
  std::lock_guard<std::mutex> hold(device->mutex);
  SyncDeviceHardware(device);
}

void StopAllDeviceProcs(AudioDeviceRecord* device) {
  for (IOProcSlot& slot : device->procs) slot.started.store(false);
  UpdateRunningAfterStop(device);
}

void ClearDeviceSlots(AudioDeviceRecord* device) {
  std::lock_guard<std::mutex> hold(device->mutex);
  for (IOProcSlot& slot : device->procs) {
    slot.started.store(false);
    slot.state.store(kSlotClaimed);
  }
  for (ContributorSlot& slot : device->contributors) slot.state.store(kSlotClaimed);
  WaitForCycleBoundary(device);
  for (IOProcSlot& slot : device->procs) slot.state.store(kSlotFree);
  for (ContributorSlot& slot : device->contributors) slot.state.store(kSlotFree);
  UpdateRunningAfterStop(device);
  SyncDeviceHardware(device);
}

OSStatus AudioDeviceAddIOProc(AudioDeviceID id, AudioDeviceIOProc proc, void* clientData) {
  AudioDeviceRecord* device = LookUp(id);
  if (device == nullptr) return kAudioHardwareBadDeviceError;
  if (proc == nullptr || OnAnyDeviceThread()) return kAudioHardwareIllegalOperationError;
  std::lock_guard<std::mutex> hold(device->mutex);
  if (FindProcSlot(device, proc) != nullptr) return kAudioHardwareIllegalOperationError;
  for (IOProcSlot& slot : device->procs) {
    UInt32 expected = kSlotFree;
    if (!slot.state.compare_exchange_strong(expected, kSlotClaimed)) continue;
    slot.proc.store(proc);
    slot.clientData.store(clientData);
    slot.started.store(false);
    slot.streamOn[kSideOutput].store(true);
    slot.streamOn[kSideInput].store(true);
    slot.state.store(kSlotInstalled, std::memory_order_release);
    return kAudioHardwareNoError;
  }
  return kAudioHardwareIllegalOperationError;
}

OSStatus AudioDeviceRemoveIOProc(AudioDeviceID id, AudioDeviceIOProc proc) {
  AudioDeviceRecord* device = LookUp(id);
  if (device == nullptr) return kAudioHardwareBadDeviceError;
  if (OnAnyDeviceThread()) return StopOrRemoveOnDeviceThread(device, proc, true);
  std::lock_guard<std::mutex> hold(device->mutex);
  IOProcSlot* slot = FindProcSlot(device, proc);
  if (slot == nullptr) return kAudioHardwareIllegalOperationError;
  slot->started.store(false);
  UInt32 expected = kSlotInstalled;
  if (!slot->state.compare_exchange_strong(expected, kSlotClaimed)) return kAudioHardwareIllegalOperationError;
  WaitForCycleBoundary(device);
  slot->state.store(kSlotFree);
  UpdateRunningAfterStop(device);
  SyncDeviceHardware(device);
  return kAudioHardwareNoError;
}

OSStatus AudioDeviceStart(AudioDeviceID id, AudioDeviceIOProc proc) {
  AudioDeviceRecord* device = LookUp(id);
  if (device == nullptr) return kAudioHardwareBadDeviceError;
  if (OnAnyDeviceThread()) {
    // Only a device that is running its cycles can take a start from its own thread.
    IOProcSlot* slot = FindProcSlot(device, proc);
    if (slot == nullptr || !OnDeviceThread(device)) return kAudioHardwareIllegalOperationError;
    slot->started.store(true);
    return kAudioHardwareNoError;
  }
  std::lock_guard<std::mutex> hold(device->mutex);
  if (!device->alive.load()) return kAudioHardwareBadDeviceError;
  IOProcSlot* slot = FindProcSlot(device, proc);
  if (slot == nullptr) return kAudioHardwareIllegalOperationError;
  if (slot->started.exchange(true)) return kAudioHardwareNoError;
  SyncDeviceHardware(device);
  if (!device->hardwareRunning) {
    slot->started.store(false);
    return kAudioHardwareUnspecifiedError;
  }
  return kAudioHardwareNoError;
}

OSStatus AudioDeviceStop(AudioDeviceID id, AudioDeviceIOProc proc) {
  AudioDeviceRecord* device = LookUp(id);
  if (device == nullptr) return kAudioHardwareBadDeviceError;
  if (OnAnyDeviceThread()) return StopOrRemoveOnDeviceThread(device, proc, false);
  std::lock_guard<std::mutex> hold(device->mutex);
  IOProcSlot* slot = FindProcSlot(device, proc);
  if (slot == nullptr) return kAudioHardwareIllegalOperationError;
  slot->started.store(false);
  WaitForCycleBoundary(device);
  UpdateRunningAfterStop(device);
  SyncDeviceHardware(device);
  return kAudioHardwareNoError;
}

OSStatus AddDeviceOutputContributor(AudioDeviceID id, AudioOutputContributorProc proc, void* context) {
  AudioDeviceRecord* device = LookUp(id);
  if (device == nullptr) return kAudioHardwareBadDeviceError;
  if (proc == nullptr || OnAnyDeviceThread()) return kAudioHardwareIllegalOperationError;
  std::lock_guard<std::mutex> hold(device->mutex);
  for (ContributorSlot& slot : device->contributors) {
    if (slot.state.load() == kSlotInstalled && slot.proc.load() == proc && slot.context.load() == context) {
      return kAudioHardwareIllegalOperationError;
    }
  }
  for (ContributorSlot& slot : device->contributors) {
    UInt32 expected = kSlotFree;
    if (!slot.state.compare_exchange_strong(expected, kSlotClaimed)) continue;
    slot.proc.store(proc);
    slot.context.store(context);
    slot.state.store(kSlotInstalled, std::memory_order_release);
    SyncDeviceHardware(device);
    return kAudioHardwareNoError;
  }
  return kAudioHardwareIllegalOperationError;
}

OSStatus RemoveDeviceOutputContributor(AudioDeviceID id, AudioOutputContributorProc proc, void* context) {
  AudioDeviceRecord* device = LookUp(id);
  if (device == nullptr) return kAudioHardwareBadDeviceError;
  if (OnAnyDeviceThread()) return kAudioHardwareIllegalOperationError;
  std::lock_guard<std::mutex> hold(device->mutex);
  for (ContributorSlot& slot : device->contributors) {
    if (slot.state.load() != kSlotInstalled || slot.proc.load() != proc || slot.context.load() != context) continue;
    slot.state.store(kSlotClaimed);
    WaitForCycleBoundary(device);
    slot.state.store(kSlotFree);
    SyncDeviceHardware(device);
    return kAudioHardwareNoError;
  }
  return kAudioHardwareIllegalOperationError;
}
