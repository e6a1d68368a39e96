#include "song/model/track_selection.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "song/events/time_selection.h"
#include "song/events/utility_event_selection.h"
#include "song/model/media_hooks.h"
#include "song/model/region_lists.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_iterators.h"
#include "song/model/track_numbers.h"
#include "song/model/track_template.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"

uint8_t gTrackSelection[kTrackSelectionBytes] = {0, 47};

namespace {

constexpr int32_t kLastSlot = kMaxTrackNumbers - 1;

bool IsSlot(int32_t n) { return n >= 0 && n <= kLastSlot; }

uint8_t* MaskByte(uint8_t* selection, int32_t n) { return selection + kSelectionMask + (n >> 3); }

uint8_t SlotBit(int32_t n) { return uint8_t(1 << (n & 7)); }

bool HasRealCurrentTrack() {
  return gCurrentSong && HasValidCurrentTrack() && gCurrentTrack && gCurrentTrack != gTrackTemplate;
}

int32_t CurrentSlot() { return HasRealCurrentTrack() ? gCurrentTrack[kTrackNumber] : -1; }

int32_t SelectEntrySlot(void*, uint8_t* entry) {
  SelectTrackSlot(entry[kTrackNumber]);
  return 0;
}

int32_t FindSelectedEntry(void*, uint8_t* entry) {
  return IsTrackSlotSelected(entry[kTrackNumber]) ? 1 : 0;
}

// The sample rate of the last selected audio track whose audio is ready.
int32_t TakeAudioTrackRate(void*) {
  TrackEntryView track(gCurrentTrack);
  if (!track.RegionList() || !IsTrackAudioReady()) return 0;
  float rate = GetRegionListRate(track.ActiveRegionList());
  if (rate > 0) gTimeSelection.start.rate = rate;
  return 0;
}

}  // namespace

void CopySelection16(const uint8_t* source, uint8_t* destination) {
  std::memmove(destination, source, kTrackSelectionBytes);
}

void SaveTrackSelection(uint8_t* destination) { CopySelection16(gTrackSelection, destination); }

void RestoreTrackSelection(const uint8_t* source) { CopySelection16(source, gTrackSelection); }

void ClearTrackSelectionMask() {
  std::memset(gTrackSelection + kSelectionMask, 0, kSelectionMaskBytes);
}

void SetAllTrackSelectionBits() {
  std::memset(gTrackSelection + kSelectionMask, 0xFF, kSelectionMaskBytes);
}

void SetTrackSelectionBounds(uint8_t first, uint8_t last) {
  gTrackSelection[kSelectionFirstSlot] = first;
  gTrackSelection[kSelectionLastSlot] = last;
}

bool IsTrackSlotSelectedIn(const uint8_t* selection, int32_t n) {
  return IsSlot(n) && (selection[kSelectionMask + (n >> 3)] & SlotBit(n)) != 0;
}

bool IsTrackSlotSelected(int32_t n) { return IsTrackSlotSelectedIn(gTrackSelection, n); }

bool IsCurrentTrackSlotSelected() { return IsTrackSlotSelected(CurrentSlot()); }

bool IsSlotInSelection(const uint8_t* selection, int32_t slot) {
  if (!IsTrackSlotSelectedIn(selection, slot)) return false;
  return slot >= selection[kSelectionFirstSlot] && slot <= selection[kSelectionLastSlot];
}

bool IsTrackEntrySelected(const uint8_t* entry) {
  return IsSlotInSelection(gTrackSelection, entry[kTrackNumber]);
}

bool IsCurrentTrackWithinBounds() {
  int32_t n = CurrentSlot();
  return IsSlot(n) && n >= gTrackSelection[kSelectionFirstSlot] &&
         n <= gTrackSelection[kSelectionLastSlot];
}

bool IsCurrentTrackSelected() {
  if (!HasRealCurrentTrack()) return false;
  if (IsCurrentTrackSlotSelected()) return true;
  return ApplyToTrackGroup(FindSelectedEntry, nullptr) != 0;
}

void SelectTrackSlot(int32_t n) {
  if (IsSlot(n)) *MaskByte(gTrackSelection, n) |= SlotBit(n);
}

void SelectCurrentTrackSlot() { SelectTrackSlot(CurrentSlot()); }

void RecomputeSelectionBounds(uint8_t* selection, bool store) {
  int32_t first = -1, last = 0;
  for (int32_t n = 0; n <= kLastSlot; ++n) {
    if (!IsTrackSlotSelectedIn(selection, n)) continue;
    if (first < 0) first = n;
    last = n;
  }
  selection[kSelectionFirstSlot] = uint8_t(first < 0 ? 0 : first);
  selection[kSelectionLastSlot] = uint8_t(last);
  if (store) StoreSelectionInSong();
}

void ToggleTrackSlot(uint8_t* selection, int32_t n) {
  if (!IsSlot(n)) return;
  *MaskByte(selection, n) ^= SlotBit(n);
  RecomputeSelectionBounds(selection, true);
}

void ToggleCurrentTrackSelected() { ToggleTrackSlot(gTrackSelection, CurrentSlot()); }

void SelectAllTracks() {
  SetAllTrackSelectionBits();
  SetTrackSelectionBounds(0, kLastSlot);
  StoreSelectionInSong();
}

void SelectTrackSlotRange(int32_t first, int32_t last) {
  ClearTrackSelectionMask();
  if (first < 0) first = 0;
  if (last > kLastSlot) last = kLastSlot;
  if (first > kLastSlot || last < first) {
    SetTrackSelectionBounds(0, 0);
  } else {
    SetTrackSelectionBounds(uint8_t(first), uint8_t(last));
    for (int32_t n = first; n <= last; ++n) SelectTrackSlot(n);
  }
  StoreSelectionInSong();
}

void SelectTrackRangeWith(int32_t first, int32_t last, bool linked) {
  ClearTrackSelectionMask();
  if (first < 0) first = 0;
  if (last > kLastSlot) last = kLastSlot;
  int32_t currentNumber = gCurrentTrackNumber;
  if (gCurrentSong && PushSongContext() == noErr) {
    for (int32_t n = first; n <= last; ++n) {
      SelectTrackNumber(n);
      if (CurrentSlot() != n) continue;  // no track has this number
      if (linked) ApplyToTrackGroup(SelectEntrySlot, nullptr);
      else SelectTrackSlot(n);
    }
    PopSongContext();
    gCurrentTrackNumber = currentNumber;
  }
  RecomputeSelectionBounds(gTrackSelection, true);
}

void SelectCurrentTrackOnly(bool linked) {
  int32_t n = CurrentSlot();
  if (n < 0) {
    ClearTrackSelectionMask();
    RecomputeSelectionBounds(gTrackSelection, true);
    return;
  }
  SelectTrackRangeWith(n, n, linked);
}

void StoreSelectionInSong() {
  if (!gCurrentSong) return;
  CopySelection16(gTrackSelection, gCurrentSong + kSongTrackSelection);
  bool realTime = gTimeDisplayMode < 0;
  if (realTime) gCurrentSong[kSongOptions] |= kSongOptionTimeInSamples;
  else gCurrentSong[kSongOptions] &= uint8_t(~kSongOptionTimeInSamples);
  StoreTimeSelectionInSong(gCurrentSong, gTimeSelection);
  float rate = realTime ? gTimeSelection.start.rate : 0.0f;
  uint32_t bits;
  std::memcpy(&bits, &rate, sizeof bits);
  WriteU32BE(gCurrentSong + kSongRate, bits);
  if (!(gTimeSelection.start.rate > 0)) ForEachSelectedTrackEntry(TakeAudioTrackRate, nullptr);
  NoteTrackSelectionChanged();
  InvalidateEditorWindow();
  InvalidateTrackWindow();
}
