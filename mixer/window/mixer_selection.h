// The mixer selection: which channel's insert rack the mixer window shows, kept in the
// current song (a kind and an item), and the racks it names.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// Selection kinds.
enum : int32_t {
  kMixerSelectsTrack = 1,       // item: track number
  kMixerSelectsAuxBus = 2,      // item: bus index + 1 (index gAuxBusCount is the master entry)
  kMixerSelectsTrackToo = 3,    // as 1
  kMixerSelectsInstrument = 4,  // item: instrument index
};

// The selection of the current song; a kind of 0 is read as a track selection of the current
// track, which is then stored. Without a song: kind 0.
int32_t GetMixerSelectionKind();
int32_t GetMixerSelectionItem();
void StoreMixerSelection(int32_t kind, int32_t item);
// Kind 2 with item index + 1 when 0 <= index <= gAuxBusCount, else kind 1 with the track.
void SetMixerSelection(int32_t index, int32_t track);

// The index of the current song's track with that number, -1 for none.
int32_t FindTrackIndexByNumber(int32_t number);
// The big-endian rack cell of the selection (TrackEntry +232 or Instrument +244), and in
// *device the instrument-table index of the channel (-1 for a track); null for none. The
// current track is left as it is.
uint8_t* GetMixerSelectionRack(int32_t* device);
// The rack cell of instrument-table entry gInstrumentCount + n (aux bus n, or the master for
// n = gAuxBusCount), null when there is no such entry.
uint8_t* GetAuxBusRack(int32_t n, int32_t* device);
// The selection's rack, 0 when there is none.
Handle GetMixerSelectedRack();
// True for an aux-bus selection of the master entry.
bool MixerSelectsMaster();
