#include "song/model/utility_track_access.h"

#include <cstring>

#include "platform/memory/memory.h"
#include "song/events/event_seek.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_numbers.h"
#include "song/model/track_template.h"

uint8_t* GetTrackEntryAt(int32_t i) {
  if (!gCurrentSong || i < 0) return nullptr;
  Size size = GetCurrentSongSize();
  int32_t offset = kSongHeaderSize;
  for (int32_t n = 0; n < i; ++n) {
    if (offset + kTrackEntrySize > size) return nullptr;
    int32_t length = ReadI16BE(gCurrentSong + offset + kTrackLength);
    if (length < kTrackEntrySize) return nullptr;
    offset += length;
  }
  if (offset + kTrackEntrySize > size) return nullptr;
  return gCurrentSong + offset;
}

void GetTrackNameText(const uint8_t* entry, Str255 text) {
  const uint8_t* name = entry + kTrackName;
  int32_t n = 0;
  while (n < kTrackNameLength && name[n] != 0) ++n;
  while (n > 0 && name[n - 1] == ' ') --n;
  std::memcpy(text + 1, name, size_t(n));
  text[0] = uint8_t(n);
}

int32_t GetCurrentTrackIndex() {
  return gCurrentSong ? ReadU16BE(gCurrentSong + kSongCurrentEntry) : 0;
}

bool HasValidCurrentTrack() {
  return gCurrentSong &&
         GetCurrentTrackIndex() < int32_t(ReadU16BE(gCurrentSong + kSongTrackCount));
}

void UpdateCurrentTrackPtr() {
  uint8_t* entry = HasValidCurrentTrack() ? GetTrackEntryAt(GetCurrentTrackIndex()) : nullptr;
  gCurrentTrack = entry ? entry : gTrackTemplate;
}

void SetCurrentTrackIndex(int32_t i) {
  if (gCurrentSong) WriteU16BE(gCurrentSong + kSongCurrentEntry, uint16_t(i));
  UpdateCurrentTrackPtr();
}

void SelectTrackNumber(int32_t n) {
  if (n < 0 || n > 255) return;
  gCurrentTrackNumber = n;
  SetCurrentTrackIndex(gTrackNumberMap[n]);
}

Handle GetCurrentTrackEventList() {
  if (gCurrentTrack == gTrackTemplate) return Handle();
  return Handle(ReadU32BE(gCurrentTrack + kTrackEventList));
}

void LockCurrentTrackEvents() {
  Handle list = GetCurrentTrackEventList();
  if (list) HLock(list);
}

void UnlockCurrentTrackEvents() {
  Handle list = GetCurrentTrackEventList();
  if (list) HUnlock(list);
}

uint8_t* GetCurrentTrackEventsPtr() {
  Handle list = GetCurrentTrackEventList();
  return list ? reinterpret_cast<uint8_t*>(HandleData(list)) : nullptr;
}

void NextEvent() {
  if (gCurrentEvent) gCurrentEvent = GetNextSeqEvent(gCurrentEvent);
}

uint8_t* FindEventAfterTime(uint8_t* list, int32_t t) {
  uint8_t* event = SeekEventList(list, t);
  if (t < 1 || !event) return event;
  while (int32_t(SeqEventTime(event)) == t && event[kEventStatus] >= 0x10) {
    uint32_t length = GetSeqEventLength(event);
    if (length < kShortEventSize) break;
    event += length;
  }
  return event;
}

bool IsCurrentTrackFlag40Set() { return (gCurrentTrack[kTrackFlags] & kTrackFlag40) != 0; }

void SetTrackEntryValue(uint8_t v) {
  gCurrentTrack[kTrackInstruments] = v;
  gCurrentTrack[kTrackFlags] |= kTrackFlagPlaysInstrument;
}
