// The transport's tempo fields: its tempo and tempo factor, whether playback follows the
// conductor map, the playing song's place in the map, and the sync source. The song model
// reads the tempo factor through its transport hooks.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "sequencer/midi/midi_utilities.h"
#include "song/conductor/tempo_scaling.h"
#include "song/model/songs.h"

// The transport clock's tempo (tenths of a beat per minute, start-up default 1100) and its
// tempo factor (2048 = 100 %): names for gTransportClock.tempo and .tempoScale.
extern uint16_t& gClockTempo;
extern uint16_t& gClockTempoFactor;
// Non-zero while playback follows the conductor map.
extern uint8_t gClockConductorFollow;
// The transport's option byte (bit 7 read by IsTransportOptionBit7Set).
extern uint8_t gClockOptionByte;
// The playing song's conductor cursor: the byte offset of the map record at which playback
// stands, plus 1 (0: none). Cleared while a section-mode edit changes the map.
extern int32_t gSongConductorCursor;
// The tick from which playback finds its conductor position again after such an edit.
extern int32_t gConductorResumeTick;
// Change bits of the playing song that make the clock find its place again
// (0x08 the conductor map changed, 0x10 its tempo).
extern uint8_t gPlayingSongChangeBits;
// The sync source code (0 and 1 the internal clock, 2..7 external) and the chase flag.
extern int16_t gClockSyncSource;
extern uint8_t gClockChaseFlag;

