// The settings of the current track that the track views present and change: its MIDI
// channel, the instrument-set flag, section mode, which of its two region lists is in use, and
// the undoable steps through which the user changes a track's play settings and channel.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

// TrackEntry byte 70: an audio track (one with a region list) keeps the whole byte; for a MIDI
// track its low nibble is the channel. The setter refuses a MIDI channel above 15 (paramErr)
// and keeps the byte's high nibble; without a real current track it answers paramErr.
OSErr SetTrackChannel(uint8_t channel);
uint8_t GetTrackChannel();
void SetTrackInstrumentFlag();
// The channel the views show for the current track (0..15).
extern uint8_t gShownTrackChannel;
// Chooses gShownTrackChannel: for a track that plays an instrument of the table (flag 0x20 of
// byte 13) the instrument's first channel, and the track's program byte (71) takes the
// instrument's program when it has one; otherwise the track's own MIDI channel; 0 without a
// track.
void ChooseTrackChannel();
// The track's name from text of the given length (at most 32 characters are kept).
void SetTrackNameFromText(const char* text, int32_t length);

// Every channel of the current track (count byte 80, at most the 11 instrument words) names an
// instrument of the table: a number at or above the instrument count becomes the last one
// (nothing changes while the table is empty).
void NormalizeTrackInstruments();

// After a song is read, for the current track: its event list and drum data are locked, the
// play cursor words are cleared (unplaced) and its instruments normalised.
void PrepareTrackHandles();
// Section mode is on and the current track plays sections (bit 0 of byte 59).
bool HasSectionMode();
// In section mode with a child sequence selected: marks the song as changed while playing and
// modified.
void MarkChildSongChanged();

// Bit 3 of byte 121 chooses the region list at +256 over the one at +232.
bool IsAlternateRegionListActive();
// The cell of region list which (0: +232, 1: +256) of the current track; null without one.
uint8_t* GetRegionListCell(int32_t which);
Handle GetActiveRegionList();
// No movie is attached to a single track.
Handle GetTrackMovie();

// The tracks of the current song that play the plug-in device (output kind 20, byte 58) of
// number device (byte 17); the second counts only those that are not audible (flag 0x04 of
// byte 13 clear). The current track is kept.
int16_t CountTracksOnDevice(uint8_t device);
int16_t CountOwnTracksOnDevice(uint8_t device);
// The user's changes of the current track's settings, each one undoable step (its undo
// restores the song as it was); the answer of the setter, or memFullErr when the step could
// not be kept.
enum TrackSettingKind : int16_t {
  kTrackSettingChannel,
  kTrackSettingTranspose,
  kTrackSettingVelocityOffset,
  kTrackSettingPlayGrid,
  kTrackSettingPlayMode,
};
OSErr ChangeTrackSetting(TrackSettingKind kind, int16_t value);
