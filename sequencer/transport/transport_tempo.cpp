#include "sequencer/transport/transport_tempo.h"

#include "sequencer/clock/transport_clock.h"

uint16_t& gClockTempo = gTransportClock.tempo;
uint16_t& gClockTempoFactor = gTransportClock.tempoScale;
uint8_t gClockConductorFollow = 0;
uint8_t gClockOptionByte = 0;
int32_t gSongConductorCursor = 0;
int32_t gConductorResumeTick = 0;
uint8_t gPlayingSongChangeBits = 0;
int16_t gClockSyncSource = 0;
uint8_t gClockChaseFlag = 0;
