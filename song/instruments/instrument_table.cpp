// The instrument table's layout, sizing and building.
#include "song/instruments/instrument_table.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "platform/memory/memory.h"
#include "platform/text/pascal_strings.h"
#include "shell/base/app_strings.h"
#include "shell/base/audio_driver_lookup.h"
#include "shell/base/error_report.h"
#include "shell/base/memory_reserve.h"
#include "song/instruments/instrument_volumes.h"
#include "song/instruments/output_kinds.h"
#include "song/instruments/plugin_hooks.h"
#include "song/model/audio_engine_hooks.h"

Handle gInstrumentTable;
uint8_t* gInstruments = nullptr;
int32_t gInstrumentCount = 0;
int32_t gAuxBusCount = 0;
int32_t gCurrentInstrument = 0;
int32_t gCurrentInstrumentPart = 0;
int32_t gInstrumentInsertionPoint = 0;
uint8_t gDefaultInstrumentDevice[2] = {kDeviceKindMidiPort, 0};

namespace {

constexpr int16_t kInstrumentTextList = 138;
constexpr int16_t kAuxBusNameItem = 8;   // item 9, 0-based
constexpr int16_t kMasterNameItem = 9;   // item 10, 0-based
constexpr int32_t kBuiltNameMax = 12;
constexpr int32_t kPluginNameKeep = 6;

int32_t TableRecords() { return gInstrumentCount + gAuxBusCount + 1; }

}  // namespace

void DisposeInstrumentResources(uint8_t* record) {
  InstrumentView view(record);
  DisposeInsertRack(view.InsertRack());
  view.SetInsertRack(Handle());
  for (int32_t offset : {kInstPanAssignment, kInstVolumeAssignment}) {
    Handle h(ReadU32BE(record + offset));
    if (h && IsValidHandle(h)) DisposeHandle(h);
    WriteU32BE(record + offset, 0);
  }
}

namespace {

void CopyName(uint8_t* record, ConstStr255Param name) {
  int32_t n = std::min<int32_t>(name[0], kInstrumentNameMax);
  record[kInstName] = uint8_t(n);
  std::memcpy(record + kInstName + 1, name + 1, size_t(n));
}

void TrimTrailing(StringPtr s, unsigned char c) {
  while (s[0] > 0 && s[s[0]] == c) --s[0];
}

// A plug-in instrument's long name keeps its first and last six characters.
void ShortenPluginName(ConstStr255Param name, StringPtr out) {
  if (name[0] <= kBuiltNameMax) {
    PLstrcpy(out, name);
    return;
  }
  out[0] = uint8_t(2 * kPluginNameKeep);
  std::memcpy(out + 1, name + 1, kPluginNameKeep);
  std::memcpy(out + 1 + kPluginNameKeep, name + 1 + name[0] - kPluginNameKeep, kPluginNameKeep);
}

void InitSendSlots(uint8_t* record) {
  for (int32_t s = 0; s < kInstrumentSends; ++s) {
    record[kInstSends + kInstSendSize * s + 2] = 64;
    record[kInstSends + kInstSendSize * s + 3] = kSendNewFlags;
  }
}

}  // namespace

uint8_t* GetInstrumentRecord(int32_t i) {
  if (!gInstruments || i < 0 || i >= TableRecords()) return nullptr;
  return gInstruments + size_t(i) * kInstrumentSize;
}

int32_t GetMasterIndex() { return gInstrumentCount + gAuxBusCount; }

uint8_t* GetMasterEntry() { return GetInstrumentRecord(GetMasterIndex()); }

void RefreshInstrumentTablePointer() {
  if (!gInstrumentTable || !IsValidHandle(gInstrumentTable)) {
    gInstruments = nullptr;
    return;
  }
  LockHandleHigh(gInstrumentTable);
  gInstruments = reinterpret_cast<uint8_t*>(*gInstrumentTable);
}

namespace {

// The master entry, last in the table: no output, its default name and settings.
void InitMasterRecord(bool force) {
  uint8_t* master = GetMasterEntry();
  InitInstrumentRecord(master, 0, kDeviceKindNoOutput, 0, nullptr, 0);
  CopyName(master, GetInstrumentDefaultName(gAuxBusCount));
  InitMasterEntry(force);
}

}  // namespace

OSErr CreateInstrumentTable(int32_t count, uint8_t deviceKind) {
  DisposeInstrumentTable();
  count = std::clamp(count, 1, kMaxInstruments);
  gInstrumentTable = NewHandleClear((count + 1) * kInstrumentSize);
  if (!gInstrumentTable) return MemError();
  gInstrumentCount = count;
  gAuxBusCount = 0;
  RefreshInstrumentTablePointer();
  for (int32_t i = 0; i < count; ++i)
    InitInstrumentRecord(GetInstrumentRecord(i), uint8_t(i % 16), deviceKind, 0, nullptr, 0);
  InitMasterRecord(true);
  return noErr;
}

void InstallMasterOnlyTable(Handle block) {
  DisposeInstrumentTable();
  gInstrumentTable = block;
  gInstrumentCount = 0;
  gAuxBusCount = 0;
  RefreshInstrumentTablePointer();
  InitMasterRecord(false);
}

void DisposeInstrumentTable() {
  if (gInstrumentTable && IsValidHandle(gInstrumentTable)) {
    RefreshInstrumentTablePointer();
    for (int32_t i = 0; i < TableRecords(); ++i) DisposeInstrumentResources(GetInstrumentRecord(i));
    DisposeHandle(gInstrumentTable);
  }
  gInstrumentTable = Handle();
  gInstruments = nullptr;
  gInstrumentCount = 0;
  gAuxBusCount = 0;
  gCurrentInstrument = 0;
}

OSErr CountInstrumentTable(Handle block, int32_t* count, int32_t* auxCount) {
  if (!block || !IsValidHandle(block)) return nilHandleErr;
  Size size = GetHandleSize(block);
  int32_t records = size / kInstrumentSize;
  if (records < 1 || records > kMaxInstruments + kMaxAuxBuses + 1) return kBadInstrumentTableErr;
  int32_t run = 0;
  uint8_t* p = reinterpret_cast<uint8_t*>(*block);
  while (run < kMaxAuxBuses && run < records - 1 &&
         (p[size_t(records - 2 - run) * kInstrumentSize] & kInstFlagAuxBus))
    ++run;
  int32_t instruments = records - 1 - run;
  if (instruments > kMaxInstruments) return kBadInstrumentTableErr;
  if (size % kInstrumentSize != 0) {
    SetHandleSize(block, records * kInstrumentSize);
    p = reinterpret_cast<uint8_t*>(*block);
  }
  // The flag is the only stored marker of a bus: keep it only where the count says so.
  p[size_t(records - 1) * kInstrumentSize] &= uint8_t(~kInstFlagAuxBus);
  for (int32_t i = 0; i < instruments; ++i) p[size_t(i) * kInstrumentSize] &= uint8_t(~kInstFlagAuxBus);
  if (count) *count = instruments;
  if (auxCount) *auxCount = run;
  return noErr;
}

OSErr RecountInstrumentTable() {
  int32_t count = 0, aux = 0;
  OSErr err = CountInstrumentTable(gInstrumentTable, &count, &aux);
  if (err != noErr) return err;
  gInstrumentCount = count;
  gAuxBusCount = aux;
  RefreshInstrumentTablePointer();
  return noErr;
}

OSErr SetInstrumentTableSize(int32_t count) {
  SetHandleSize(gInstrumentTable, (count + gAuxBusCount) * kInstrumentSize + kInstrumentSize);
  return MemError();
}

OSErr ResizeInstrumentTable(int32_t newCount, Handle* savedTail, int32_t* clampedCount,
                            int32_t newAuxCount) {
  *savedTail = Handle();
  newCount = std::clamp(newCount, 0, kMaxInstruments);
  newAuxCount = std::clamp(newAuxCount, 0, kMaxAuxBuses);
  if (clampedCount) *clampedCount = newCount;
  if (!gInstruments) return nilHandleErr;
  int32_t tailRecords = gAuxBusCount + 1;
  Handle tail = NewHandle(tailRecords * kInstrumentSize);
  if (!tail) {
    ReportError(memFullErr);
    return memFullErr;
  }
  std::memcpy(*tail, GetInstrumentRecord(gInstrumentCount), size_t(tailRecords) * kInstrumentSize);
  *savedTail = tail;
  int32_t oldCount = gInstrumentCount;
  int32_t oldAux = gAuxBusCount;
  gAuxBusCount = newAuxCount;
  HUnlock(gInstrumentTable);
  OSErr err = SetHandleSizeWithReserve(gInstrumentTable,
                                       (newCount + newAuxCount) * kInstrumentSize + kInstrumentSize);
  if (err != noErr) {
    gAuxBusCount = oldAux;
    RefreshInstrumentTablePointer();
    ReportError(err);
    return err;
  }
  gInstrumentCount = newCount;
  RefreshInstrumentTablePointer();
  // The old tail now lives in savedTail; clear every slot behind the surviving instruments
  // so that no two records share a handle.
  int32_t keep = std::min(oldCount, newCount);
  std::memset(GetInstrumentRecord(keep), 0, size_t(TableRecords() - keep) * kInstrumentSize);
  return noErr;
}

void RestoreAuxAndMasterEntries(Handle savedTail) {
  if (!savedTail) return;
  int32_t saved = GetHandleSize(savedTail) / kInstrumentSize;
  if (saved >= 1 && gInstruments) {
    const uint8_t* tail = reinterpret_cast<const uint8_t*>(*savedTail);
    int32_t buses = std::min(gAuxBusCount, saved - 1);
    std::memcpy(GetInstrumentRecord(gInstrumentCount), tail, size_t(buses) * kInstrumentSize);
    std::memcpy(GetMasterEntry(), tail + size_t(saved - 1) * kInstrumentSize, kInstrumentSize);
  }
  DisposeHandle(savedTail);
  if (uint8_t* master = GetMasterEntry()) SetMasterVolume(GetInstrumentVolume(master));
}

void InitInstrumentRecord(uint8_t* record, uint8_t channel, uint8_t deviceKind, uint8_t port,
                          ConstStr255Param name, uint16_t portValue) {
  std::memset(record, 0, kInstrumentSize);
  InstrumentView view(record);
  view.SetPort(0, port);
  view.SetDeviceKind(0, deviceKind);
  WriteU16BE(record + kInstPortValues, portValue);
  view.SetChannel(0, uint8_t(channel & (HasAudioDriverEntry(deviceKind) ? 63 : 15)));
  SetInstrumentVolume(record, 127);
  record[kInstPan] = 64;
  record[kInstPanController] = 10;
  record[kInstFlags] = kInstFlagActive;
  record[kInstVolumeController] = 7;
  record[kInstBendRange] = 2;
  record[kInstProgram] = 0xFF;
  InitSendSlots(record);
  Str255 shortened;
  if (name && deviceKind == kDeviceKindPlugin) {
    ShortenPluginName(name, shortened);
    name = shortened;
  }
  BuildInstrumentName(record, name);
  ResolveInstrumentParts(record, deviceKind == kDeviceKindNoOutput ? 0 : 1);
}

void ResolveInstrumentParts(uint8_t* record, uint8_t mask) {
  InstrumentView view(record);
  for (int32_t p = 0; p < kInstrumentParts; ++p) {
    if (!(mask & (1 << p))) {
      view.SetDriverProc(p, 0);
      continue;
    }
    uint8_t kind = view.DeviceKind(p);
    uint8_t port = view.Port(p);
    NormalizeKindPair(&kind, &port);
    view.SetDeviceKind(p, kind);
    view.SetPort(p, port);
    view.SetDriverProc(p, GetDriverProcForKind(kind));
  }
  view.SetPartMask(mask);
}

void BuildInstrumentName(uint8_t* record, ConstStr255Param name) {
  Str255 source;
  if (name)
    PLstrcpy(source, name);
  else
    PLstrcpy(source, BuildOutputKindName(record[kInstDeviceKinds], record[kInstPorts]));
  Str255 built;
  CopyPString(source, built, kBuiltNameMax);
  TrimTrailing(built, ' ');
  TrimTrailing(built, '-');
  Str255 number;
  NumToString(record[kInstChannels] + 1, number);
  AppendPChar(built, '-');
  AppendPString(built, number);
  CopyName(record, built);
}

OSErr AddInstrumentRecord(const uint8_t* record) {
  uint8_t flags = TakeRealtimeProcessorFlags();
  int32_t saved = gCurrentInstrument;
  bool full = gInstrumentCount >= kMaxInstruments;
  Handle tail;
  int32_t clamped = 0;
  OSErr err = ResizeInstrumentTable(gInstrumentCount + 1, &tail, &clamped, gAuxBusCount);
  if (err == noErr && !full) {
    uint8_t* slot = GetInstrumentRecord(gInstrumentCount - 1);
    std::memcpy(slot, record, kInstrumentSize);
    uint32_t device = InstrumentView(slot).PluginDevice();
    if (device != 0) slot[kInstPorts] = GetDeviceId(FindDeviceBySecondId(device));
  }
  RestoreAuxAndMasterEntries(tail);
  gCurrentInstrument = saved;
  ClampProcessorInstruments(flags);
  RebuildInstrumentState();
  return err;
}

namespace {

// Step 1 of SetAuxBusCount: the buses that go away.
void ReleaseRemovedBuses(int32_t newCount) {
  StopAudioEngineChannels(1);
  // A send may not name a bus that no longer exists, on any record.
  for (int32_t i = 0; i < TableRecords(); ++i) {
    uint8_t* r = GetInstrumentRecord(i);
    for (int32_t s = 0; s < kInstrumentSends; ++s)
      if (GetSendBus(r, s) > newCount) SetSendBus(r, s, 0);
  }
  for (int32_t b = newCount; b < gAuxBusCount; ++b)
    DisposeInstrumentResources(GetInstrumentRecord(gInstrumentCount + b));
}

void SetUpBuses(int32_t oldCount, int32_t newCount, uint8_t deviceKind, uint8_t port) {
  for (int32_t i = 0; i < newCount; ++i) {
    uint8_t* bus = GetInstrumentRecord(gInstrumentCount + i);
    int16_t volume = 0;
    if (i >= oldCount) {
      std::memset(bus, 0, kInstrumentSize);
      CopyName(bus, GetInstrumentDefaultName(i));
    } else {
      volume = GetInstrumentVolume(bus);
    }
    InstrumentView view(bus);
    view.SetPort(0, port);
    view.SetFlags(kInstFlagActive | kInstFlagAuxBus);
    view.SetDeviceKind(0, deviceKind);
    SetInstrumentVolume(bus, volume);
    bus[kInstPan] = 64;
  }
}

}  // namespace

OSErr SetAuxBusCount(int32_t newCount, uint8_t deviceKind, uint8_t port, bool rebuild) {
  if (!gInstruments) return nilHandleErr;
  newCount = std::clamp(newCount, 0, kMaxAuxBuses);
  int32_t oldCount = gAuxBusCount;
  if (newCount < oldCount) ReleaseRemovedBuses(newCount);
  Handle tail;
  int32_t clamped = 0;
  OSErr err = ResizeInstrumentTable(gInstrumentCount, &tail, &clamped, newCount);
  RestoreAuxAndMasterEntries(tail);
  if (err != noErr) return err;
  for (int32_t i = 0; i < newCount; ++i) GetInstrumentRecord(gInstrumentCount + i)[kInstFlags] |= kInstFlagAuxBus;
  RecountInstrumentTable();
  if (deviceKind != 0) SetUpBuses(oldCount, newCount, deviceKind, port);
  RebuildDeviceTable();
  if (rebuild) DeleteOrphanedPluginInstruments();
  return noErr;
}

void InitMasterEntry(bool force) {
  RefreshInstrumentTablePointer();
  uint8_t* master = GetMasterEntry();
  if (!master) return;
  SetMasterVolume(GetInstrumentVolume(master));
  if ((master[kInstFlags] & kInstFlagMasterReady) && !force) return;
  master[kInstFlags] |= kInstFlagMasterReady;
  master[kInstPorts] = 0;
  master[kInstDeviceKinds] = gDefaultInstrumentDevice[0];
}

StringPtr GetInstrumentDefaultName(int32_t n) {
  gStringBuffer[0] = 0;
  bool master = n == gAuxBusCount;
  AppendIndString(kInstrumentTextList, master ? kMasterNameItem : kAuxBusNameItem);
  if (gStringBuffer[0] == 0) {
    // Interim: the texts come from the application's resources once they are authored.
    CopyCStringToPascal(master ? "Master" : "Aux ", gStringBuffer);
  }
  if (master) return gStringBuffer;
  Str255 number;
  NumToString(n + 1, number);
  AppendPString(gStringBuffer, number);
  return gStringBuffer;
}
