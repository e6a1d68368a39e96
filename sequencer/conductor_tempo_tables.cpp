#include "sequencer/conductor_tempo_tables.h"

#include <cmath>
#include <vector>

#include "song/conductor_map.h"

namespace {
std::vector<uint32_t> gIncrementStore(kTempoTableEntries);
std::vector<uint32_t> gPeriodStore(kTempoTableEntries);
const double kSubframesPerSecond[4] = {1920.0, 2000.0, 2397.6, 2400.0};
}  // namespace

uint32_t* gTempoIncrementTable = nullptr;
uint32_t* gTempoPeriodTable = nullptr;
double gMicrosecondsPerSubframe = 1000000.0 / 2400.0;
uint8_t gSmpteRateCode = 3;
uint32_t gTempoTablesVersion = 0;

double SubframesPerSecondForRate(uint8_t code) { return kSubframesPerSecond[code > 3 ? 3 : code]; }

// Interim: the internal clock's unquantised periods; the resource cache comes with the clock.
void BuildTempoTables() {
  gMicrosecondsPerSubframe = 1000000.0 / SubframesPerSecondForRate(gSmpteRateCode);
  int64_t resolution = gTempoTableResolution > 0 ? gTempoTableResolution : 1;
  for (int32_t i = 0; i < kTempoTableEntries; ++i) {
    int64_t ticksPerMinute = (int64_t(kTempoTableFirst + i) * resolution) / 10;
    if (ticksPerMinute < 1) ticksPerMinute = 1;
    double microsPerTick = 60000000.0 / double(ticksPerMinute);
    double increment = 65536.0 / (gMicrosecondsPerSubframe / microsPerTick);
    gIncrementStore[i] = increment >= 4294967295.0 ? 0xFFFFFFFFu : uint32_t(increment);
    double whole = std::floor(microsPerTick);
    uint32_t high = whole > 65535.0 ? 65535u : uint32_t(whole);
    gPeriodStore[i] = (high << 16) + uint32_t((microsPerTick - whole) * 65536.0);
  }
  gTempoIncrementTable = gIncrementStore.data();
  gTempoPeriodTable = gPeriodStore.data();
  ++gTempoTablesVersion;
}

void EnsureTempoTables() {
  if (!gTempoIncrementTable) BuildTempoTables();
}
