#include "song/model/track_play_settings.h"

#include "platform/memory/byte_order.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_template.h"
#include "song/model/transport_hooks.h"
#include "song/model/utility_track_access.h"

namespace {

bool HasRealCurrentTrack() {
  return HasValidCurrentTrack() && gCurrentTrack && gCurrentTrack != gTrackTemplate;
}

// Stores a changed value at offset of the current track and tells the playing clock.
void StoreTrackPlaySetting(int32_t offset, uint16_t value, bool wide) {
  uint16_t old = wide ? ReadU16BE(gCurrentTrack + offset) : gCurrentTrack[offset];
  if (old == value) return;
  if (wide) WriteU16BE(gCurrentTrack + offset, value);
  else gCurrentTrack[offset] = uint8_t(value);
  SetSongModified();
  NoteTrackPlaySettingsChanged(gCurrentSongHandle, GetCurrentTrackIndex());
}

OSErr SetSignedSetting(int32_t offset, int16_t value, int16_t low, int16_t high) {
  if (!HasRealCurrentTrack() || value < low || value > high) return paramErr;
  StoreTrackPlaySetting(offset, uint16_t(value), true);
  return noErr;
}

int16_t SignedSetting(int32_t offset) {
  return HasRealCurrentTrack() ? ReadI16BE(gCurrentTrack + offset) : 0;
}

}  // namespace

OSErr SetTrackTranspose(int16_t semitones) {
  return SetSignedSetting(kTrackTranspose, semitones, -kMaxTrackTranspose, kMaxTrackTranspose);
}

OSErr SetTrackVelocityOffset(int16_t offset) {
  return SetSignedSetting(kTrackVelocityOffset, offset, -kMaxTrackVelocityOffset,
                          kMaxTrackVelocityOffset);
}

OSErr SetTrackPlayGrid(int16_t ticks) { return SetSignedSetting(kTrackPlayGrid, ticks, 0, kMaxTrackPlayGrid); }

OSErr SetTrackPlayMode(uint8_t mode) {
  if (!HasRealCurrentTrack() || mode > kMaxTrackPlayMode) return paramErr;
  StoreTrackPlaySetting(kTrackPlayMode, mode, false);
  return noErr;
}

int16_t GetTrackTranspose() { return SignedSetting(kTrackTranspose); }
int16_t GetTrackVelocityOffset() { return SignedSetting(kTrackVelocityOffset); }
int16_t GetTrackPlayGrid() { return SignedSetting(kTrackPlayGrid); }
uint8_t GetTrackPlayMode() { return HasRealCurrentTrack() ? gCurrentTrack[kTrackPlayMode] : 0; }
