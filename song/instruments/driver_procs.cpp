#include "song/instruments/driver_procs.h"

namespace {

DriverProc gDriverProcs[kDriverProcSlots] = {};

}  // namespace

int16_t gMidiVolumeFactor = 4096;

DriverProc GetDriverProcById(DriverProcId id) {
  return id < kDriverProcSlots ? gDriverProcs[id] : nullptr;
}

void SetDriverProcById(DriverProcId id, DriverProc proc) {
  if (id > kNoDriverProc && id < kDriverProcSlots) gDriverProcs[id] = proc;
}

int32_t InvokeSendCallback(DriverProcId proc, uint8_t* record, int32_t arg) {
  DriverProc routine = GetDriverProcById(proc);
  if (!routine || !record) return 0;
  return routine(record, arg);
}

int32_t ScaleVolumeForDevice(int32_t value, uint8_t deviceKind) {
  if (deviceKind == 20 || deviceKind == 21) return value;
  if (gMidiVolumeFactor == 0) return 0;
  if (gMidiVolumeFactor == 4096) return value;
  return (value * gMidiVolumeFactor) / 4096;
}
