// The menus that follow the tracks: the menu-state track scan, the track commands menu (86)
// and the transform menu (430), worked out from counts over the selected tracks.
#pragma once

#include <cstdint>

// Song modes that the scan reads (song header byte kSongMode).
constexpr uint8_t kSongModeStepInput = 1;
constexpr uint8_t kSongModeRecord = 3;

// A track qualifies for the audio menus when its flags lack the silent bit (0x10) and: its
// second region list is switched on and present, or the song takes step input and the track
// has audio, or the song records and the track's region list in use is present.
bool TrackQualifiesForMenus(const uint8_t* entry, uint8_t songMode);
// Whether any track qualifies: over the selected tracks when selectedOnly, else over all
// tracks of the current song. False without a song.
bool ScanTracksForMenuState(bool selectedOnly);

struct TrackMenuCounts {
  int32_t selected = 0;    // selected tracks
  int32_t silent = 0;      // of them with the flag of item 1 (flags bit 0x10)
  int32_t withAudio = 0;   // of them with audio (the second property, items 4 and 5)
  int32_t grouped = 0;     // of them in a group
  bool grouping = false;   // grouping is not possible now (section mode)
  bool qualifies = false;  // a selected track qualifies (the scan)
};
TrackMenuCounts CountSelectedTracksForMenus();

constexpr int16_t kTrackCommandsMenuId = 86;
constexpr int16_t kTrackCommandItems = 8;
// Items 1..8 by bit n-1.
uint32_t ComputeTrackCommandsMask(const TrackMenuCounts& counts);

struct TransformMenuInputs {
  bool markerListFront = false;
  int32_t selectedTracks = 0;
  bool trackQualifies = false;
  bool callerFlag = false;
};
constexpr uint32_t kTransformAllItems = 0xFFFFFFFF;
constexpr uint32_t kTransformMarkerListItems = 0x3044;
constexpr uint32_t kTransformNoTrackItems = 0x3000;
constexpr uint32_t kTransformAudioTrackItems = 0x3084;
// All items but the last, by bit n-1.
uint32_t ComputeTransformMenuMask(const TransformMenuInputs& in);

// Brings menus 86 and 430 up to date from the current song.
void UpdateTrackMenusState();
