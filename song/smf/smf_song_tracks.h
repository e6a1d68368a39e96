// Putting what a Standard MIDI File import read into the current song: conductor changes,
// markers, track event lists, names, instruments and MIDI channels.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/memory/mac_types.h"
#include "song/smf/smf_track_parser.h"

// Applies the changes in order (a later change at the same tick and of the same kind wins).
// Tempo and meter changes only when withTempoAndMeter. Returns 0 or the memory error.
OSErr ApplySmfConductorChanges(const std::vector<SmfConductorChange>& changes,
                               bool withTempoAndMeter);
// The defaults of a Standard MIDI File at tick 1 of the current song: 120 beats per minute,
// 4/4, C major.
void SetSmfDefaultConductor(int32_t ticksPerQuarter);
// Adds the markers of every chunk, in order. Returns 0 or the memory error.
OSErr AddSmfMarkers(const std::vector<SmfTrackInfo>& chunks);
// Makes list the current track's event list (the old list is disposed unless the undo ring
// keeps it) and raises the track's length to endTick.
void InstallSmfTrackList(Handle list, uint32_t endTick);
// Names the current track after info (meta 3, else meta 1), or after the file when that is
// empty or the default untitled name.
void NameSmfTrack(const SmfTrackInfo& info, ConstStr255Param fileName);
// The same for a track that already exists: only a blank or untitled name is replaced.
void NameUnnamedSmfTrack(const SmfTrackInfo& info, ConstStr255Param fileName);
// The song's name (header +63, at most 31 characters): the first chunk's, else the file's,
// unless the song has one.
void NameSmfSong(const SmfTrackInfo& first, ConstStr255Param fileName);
// Meta 4: an instrument of the table whose name equals the text becomes the track's.
void AssignSmfInstrumentByName(const SmfTrackInfo& info);
// A track whose channel messages use one MIDI channel takes it (byte +70; 255 for none) and
// the first instrument with the track's output kind, device and channel.
void SettleSmfTrackChannel(uint16_t channelMask);
// The track plays: its audible flag is computed (a new track is neither muted nor silent)
// and its output kind's send procedure is stored with it.
void SettleSmfTrackOutput();

// Track byte that holds the MIDI channel the import settled.
constexpr int32_t kTrackImportChannel = 70;
constexpr uint8_t kTrackNoChannel = 255;
