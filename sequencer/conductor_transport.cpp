#include "sequencer/conductor_transport.h"

uint16_t gClockTempo = kDefaultTempo;
uint16_t gClockTempoFactor = kUnityTempoFactor;
uint8_t gClockConductorFollow = 0;
uint8_t gClockOptionByte = 0;
int32_t gSongConductorCursor = 0;
int32_t gConductorResumeTick = 0;
Handle gSectionModeSong;
uint8_t gPlayingSongChangeBits = 0;
int16_t gClockSyncSource = 0;
uint8_t gClockChaseFlag = 0;

int16_t ScaleTempoValue(int32_t tempo, int32_t factor) {
  if (factor == 0) factor = gClockTempoFactor;
  uint64_t product = uint64_t(uint32_t(tempo) & 0xFFFF) * (uint32_t(factor) & 0xFFFF);
  uint64_t scaled = (product + 1024) >> 11;
  if (scaled < uint64_t(kMinTempo)) return int16_t(kMinTempo);
  if (scaled > uint64_t(kMaxTempo)) return int16_t(kMaxTempo);
  return int16_t(scaled);
}

int16_t GetScaledTempo() { return ScaleTempoValue(gClockTempo, gClockTempoFactor); }

// Interim: the source code as stored; no source objects exist yet.
int16_t GetSyncSource() { return gClockSyncSource; }
