// The walk of render-time MIDI over a song's tracks: each track's render cursor through its
// loop or its sections (as the clock's section reader plays them), and the child sequences
// that sequence references start, each at its sample. Engine thread; nothing allocates.
#pragma once

#include <cstdint>

#include "plugins/host/plugin_midi_delivery.h"

// TrackEntry i of a song block (null past the tracks or in a damaged block).
uint8_t* TrackEntryAt(uint8_t* song, int32_t index);
// The track's event list and its size in bytes (null when it has none).
uint8_t* TrackEventBytes(const uint8_t* track, uint32_t* bytes);
// The plug-in device a track plays and the channel it forces (16 and above: none): its own
// output, or for a track that plays an instrument-table entry, the entry's first part. False
// when that is no plug-in device.
bool TrackDevice(const uint8_t* track, uint8_t* device, uint8_t* channel);

// A cursor placed at song tick `tick` of the track.
void PlaceTrackCursor(TrackRenderCursor* cursor, const uint8_t* track, double tick);
// `tickSpan` ticks of one track from its cursor, from sample pieceStart, wrapping at its loop
// or section end; the cursor moves on.
void PlayTrackInPiece(PluginMidiState* state, const uint8_t* track, TrackRenderCursor* cursor, double tickSpan,
                      float rate, double pieceStart, int32_t mode, int32_t noteLengthCap);

// A sequence reference of `track` reached at sample `exact`: its child sequence plays from its
// start for the reference's length (a child already playing starts again). A song never starts
// itself, and a block starts at most a bounded number of children.
void StartRenderChild(PluginMidiState* state, const uint8_t* track, const uint8_t* reference, double exact);
// The playing children's share of a piece (from its start, or from where a child started in
// it), their tracks taking part as trackMode says (a negative mode leaves a track alone).
using RenderTrackMode = int32_t (*)(const uint8_t* track, uint32_t device);
void PlayChildrenInPiece(PluginMidiState* state, float rate, double pieceStart, double samples,
                         RenderTrackMode trackMode, int32_t noteLengthCap);
// Ends every child sequence.
void StopRenderChildren(PluginMidiState* state);
