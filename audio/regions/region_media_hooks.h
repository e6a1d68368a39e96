// What the region edits use of the audio-file services (media): registering a pasted region's
// file in the song's referenced-file table, combining two region lists into a new file (the
// audio paste in mix mode), and keeping the current track's waveform overview in step with an
// edit. Media installs the table at start-up; an entry not installed gives the answer noted.
#pragma once

#include <cstdint>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"

struct RegionMediaHooks {
  // Finds or adds the file's entry (flags 2, 64 or 66 as the caller passes them) and gives its
  // index. Not installed: -4, and the region stays without file.
  OSErr (*registerMediaFile)(const FSSpec* file, uint16_t* index, int16_t flags);
  // A new region list that plays both lists mixed (a new file), or an error. Not installed: -4
  // (the paste replaces instead of mixing).
  OSErr (*combineRegionLists)(Handle first, Handle second, Handle* combined);
  // The current track's audio changed between the ticks. Not installed: nothing.
  void (*requestOverviewUpdate)(uint32_t startTick, uint32_t endTick);
  // Ticks were inserted into, or deleted from, the current track's audio at tick. Not
  // installed: nothing.
  void (*shiftOverviewForInsert)(uint32_t tick, uint32_t count);
  void (*shiftOverviewForDelete)(uint32_t tick, uint32_t count);
  // The live audio-edit bracket on the engine channel of the current track's audio
  // (AudioEditBracket's command and phase). Not installed: nothing.
  void (*bracketAudioEdit)(int32_t command, int32_t phase);
};
extern RegionMediaHooks gRegionMediaHooks;

OSErr RegisterPastedRegionFile(const FSSpec* file, uint16_t* index, int16_t flags);
OSErr CombinePastedRegions(Handle first, Handle second, Handle* combined);
void RefreshRegionOverview(uint32_t startTick, uint32_t endTick);
void ShiftRegionOverviewForInsert(uint32_t tick, uint32_t count);
void ShiftRegionOverviewForDelete(uint32_t tick, uint32_t count);
// Opens the bracket before an edit of the current track's regions; closing it resumes the
// channel with the edited regions.
void OpenCurrentAudioEdit();
void CloseCurrentAudioEdit();
