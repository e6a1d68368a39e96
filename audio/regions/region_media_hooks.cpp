#include "audio/regions/region_media_hooks.h"

#include "audio/engine/audio_edit_bracket.h"

RegionMediaHooks gRegionMediaHooks = {};

namespace {
constexpr OSErr kNotInstalled = -4;
}

OSErr RegisterPastedRegionFile(const FSSpec* file, uint16_t* index, int16_t flags) {
  return gRegionMediaHooks.registerMediaFile ? gRegionMediaHooks.registerMediaFile(file, index, flags) : kNotInstalled;
}

OSErr CombinePastedRegions(Handle first, Handle second, Handle* combined) {
  return gRegionMediaHooks.combineRegionLists ? gRegionMediaHooks.combineRegionLists(first, second, combined)
                                              : kNotInstalled;
}

void RefreshRegionOverview(uint32_t startTick, uint32_t endTick) {
  if (gRegionMediaHooks.requestOverviewUpdate) gRegionMediaHooks.requestOverviewUpdate(startTick, endTick);
}

void ShiftRegionOverviewForInsert(uint32_t tick, uint32_t count) {
  if (gRegionMediaHooks.shiftOverviewForInsert) gRegionMediaHooks.shiftOverviewForInsert(tick, count);
}

void ShiftRegionOverviewForDelete(uint32_t tick, uint32_t count) {
  if (gRegionMediaHooks.shiftOverviewForDelete) gRegionMediaHooks.shiftOverviewForDelete(tick, count);
}

void OpenCurrentAudioEdit() {
  if (gRegionMediaHooks.bracketAudioEdit) gRegionMediaHooks.bracketAudioEdit(kEditHold, kEditOpen);
}

void CloseCurrentAudioEdit() {
  if (gRegionMediaHooks.bracketAudioEdit) gRegionMediaHooks.bracketAudioEdit(kEditResume, kEditClose);
}
