#include "song/conductor/tempo_tables.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "shell/base/resource_files.h"
#include "song/conductor/conductor_map.h"
#include "song/model/transport_hooks.h"

namespace {
std::vector<uint32_t> gIncrementStore(kTempoTableEntries);
std::vector<uint32_t> gPeriodStore(kTempoTableEntries);
const double kSubframesPerSecond[4] = {1920.0, 2000.0, 2397.6, 2400.0};

// Truncates toward zero into 32 bits; values of 2^31 and more keep bit 31.
uint32_t TruncateToU32(double v) {
  if (!(v > 0.0)) return 0;
  if (v >= 4294967295.0) return 0xFFFFFFFFu;
  if (v >= 2147483648.0) return uint32_t(int64_t(v - 2147483648.0)) | 0x80000000u;
  return uint32_t(int64_t(v));
}

int32_t TableResolution() { return gTempoTableResolution > 0 ? gTempoTableResolution : 1; }
}  // namespace

uint32_t* gTempoIncrementTable = nullptr;
uint32_t* gTempoPeriodTable = nullptr;
double gMicrosecondsPerSubframe = 1000000.0 / 2400.0;
uint8_t gSmpteRateCode = 3;
uint32_t gTempoTablesVersion = 0;
uint8_t gTempoSyncMode = 1;
int32_t gTableTempo = 1200;

double SubframesPerSecondForRate(uint8_t code) { return kSubframesPerSecond[code > 3 ? 3 : code]; }

uint32_t GetTicksPerMinute() {
  int64_t p = int64_t(gTableTempo) * TableResolution() / 10;
  return p < 1 ? 1u : uint32_t(p);
}

uint32_t GetTicksPerTwoMinutes() { return GetTicksPerMinute() * 2; }

double GetMicrosecondsPerTick() { return kMicrosecondsPerMinute / double(GetTicksPerMinute()); }

double GetSubframesPerTickFixed() {
  return 65536.0 / (gMicrosecondsPerSubframe / GetMicrosecondsPerTick());
}

void SetMicrosecondsPerSubframe(double subframesPerSecond) {
  if (subframesPerSecond > 0.0) gMicrosecondsPerSubframe = 1000000.0 / subframesPerSecond;
}

double GetLegacyPeriod() {
  double p = double(GetTicksPerMinute());
  return (kLegacyNumerator - 2.0 * p) / p;
}

double LegacyUnitsToMicroseconds(double x) { return kLegacyTimerUnit * x; }

double GetEffectiveMicrosecondsPerTick() {
  if (gTempoSyncMode == 1) return GetMicrosecondsPerTick();
  return LegacyUnitsToMicroseconds(GetLegacyPeriod() + 2.0);
}

double GetEffectiveSubframesPerTickFixed() {
  return 65536.0 / (gMicrosecondsPerSubframe / GetEffectiveMicrosecondsPerTick());
}

double QuantisePeriod(double microseconds, bool unquantised) {
  if (unquantised) return microseconds;
  return std::floor(microseconds / kTimerQuantum) * kTimerQuantum;
}

// The period table always holds exact periods here (there is no timer quantum to follow), so
// its id is the one of the unquantised internal-clock table.
int16_t GetTempoPeriodResourceId() { return int16_t((TableResolution() & 0xFFFF) + 0x2000); }

int16_t GetTempoIncrementResourceId() {
  return int16_t((TableResolution() & 0xFFFF) + gSmpteRateCode);
}

bool LoadTempoTableResource(ResType type, int16_t id, uint32_t* table) {
  if (gPrefsResFile == -1) return false;
  SInt16 saved = CurResFile();
  UseResFile(gPrefsResFile);
  Handle h = Get1Resource(type, id);
  bool found = false;
  if (h && GetHandleSize(h) == kTempoTableBytes) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(*h);
    for (int32_t i = 0; i < kTempoTableEntries; ++i) table[i] = ReadU32BE(bytes + 4 * i);
    found = true;
  }
  if (h) ReleaseResource(h);
  UseResFile(saved);
  return found;
}

void WriteTempoTableResource(ResType type, int16_t id, const uint32_t* table, bool found) {
  if (found || gPrefsResFile == -1) return;
  SInt16 saved = CurResFile();
  UseResFile(gPrefsResFile);
  Handle h = NewHandle(kTempoTableBytes);
  if (h) {
    uint8_t* bytes = reinterpret_cast<uint8_t*>(*h);
    for (int32_t i = 0; i < kTempoTableEntries; ++i) WriteU32BE(bytes + 4 * i, table[i]);
    static const unsigned char kNoName[] = "";
    AddResource(h, type, id, kNoName);
    if (ResError() != noErr) {
      DisposeHandle(h);
    } else {
      WriteResource(h);
      if (ResError() != noErr) {
        RemoveResource(h);
        DisposeHandle(h);
      } else {
        UpdateResFile(gPrefsResFile);
        ReleaseResource(h);
      }
    }
  }
  UseResFile(saved);
}

void GetExactTickPeriod(int32_t tempo, uint32_t* wholeMicroseconds, uint16_t* fraction) {
  if (tempo < kTempoTableFirst) tempo = kTempoTableFirst;
  if (tempo > kTempoTableLast) tempo = kTempoTableLast;
  int64_t p = int64_t(tempo) * TableResolution() / 10;
  if (p < 1) p = 1;
  double t = kMicrosecondsPerMinute / double(p);
  double whole = std::floor(t);
  *wholeMicroseconds = uint32_t(whole);
  *fraction = uint16_t(uint32_t((t - whole) * 65536.0) & 0xFFFF);
}

void BuildTempoPeriodTable() {
  int16_t id = GetTempoPeriodResourceId();
  uint32_t* table = gPeriodStore.data();
  bool found = LoadTempoTableResource(kTempoPeriodResType, id, table);
  if (!found) {
    for (int32_t i = 0; i < kTempoTableEntries; ++i) {
      uint32_t whole = 0;
      uint16_t fraction = 0;
      GetExactTickPeriod(kTempoTableFirst + i, &whole, &fraction);
      table[i] = ((whole > 65535 ? 65535u : whole) << 16) + fraction;
    }
  }
  gTempoPeriodTable = table;
  WriteTempoTableResource(kTempoPeriodResType, id, table, found);
}

void BuildTempoIncrementTable(double subframesPerSecond, uint32_t* table) {
  SetMicrosecondsPerSubframe(subframesPerSecond);
  int16_t id = GetTempoIncrementResourceId();
  bool found = LoadTempoTableResource(kTempoIncrementResType, id, table);
  if (!found) {
    int32_t saved = gTableTempo;
    for (int32_t i = 0; i < kTempoTableEntries; ++i) {
      gTableTempo = kTempoTableFirst + i;
      table[i] = TruncateToU32(gTempoSyncMode == 1 ? GetSubframesPerTickFixed()
                                                   : GetEffectiveSubframesPerTickFixed());
    }
    gTableTempo = saved;
  }
  WriteTempoTableResource(kTempoIncrementResType, id, table, found);
}

void UpdateSubframeRates() {
  static const uint16_t kFramesPerSecond[4] = {24, 25, 30, 30};
  uint16_t framesPerSecond = kFramesPerSecond[gSmpteRateCode > 3 ? 3 : gSmpteRateCode];
  SetClockFrameRate(framesPerSecond);
  double rate = gSmpteRateCode == 2 ? 2397.6 : double(uint16_t(framesPerSecond * 80));
  BuildTempoIncrementTable(rate, gIncrementStore.data());
  gTempoIncrementTable = gIncrementStore.data();
}

void SetSmpteFrameRate(uint8_t code) {
  gSmpteRateCode = code > 3 ? 3 : code;
  UpdateSubframeRates();
  ++gTempoTablesVersion;
}

void BuildTempoTables() {
  BuildTempoPeriodTable();
  UpdateSubframeRates();
  ++gTempoTablesVersion;
}

void EnsureTempoTables() {
  if (!gTempoIncrementTable || !gTempoPeriodTable) BuildTempoTables();
}
