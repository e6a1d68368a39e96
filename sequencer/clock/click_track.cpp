#include "sequencer/clock/click_track.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/instruments/plugin_hooks.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/track_template.h"

uint8_t gClickTrack[kTrackEntrySize];

namespace {

constexpr uint8_t kClickTrackMark = 'M';
constexpr uint8_t kClickTrackFlags = 4;

}  // namespace

Handle GetClickTrackRack() {
  Handle rack(ReadU32BE(gClickTrack + kTrackInsertRack));
  return rack && IsValidHandle(rack) ? rack : Handle();
}

uint8_t GetClickTrackDevice() { return gClickTrack[kTrackMidiOutput]; }

void InitClickTrack() {
  std::memcpy(gClickTrack, gTrackTemplate, sizeof gClickTrack);
  // The template's blocks belong to it: the click track starts with none of its own.
  for (int32_t field : kTrackHandleFields) WriteU32BE(gClickTrack + field, 0);
  gClickTrack[kTrackName] = kClickTrackMark;
  gClickTrack[kTrackFlags] = kClickTrackFlags;
  gClickTrack[kTrackMidiOutput] = 0;
}

void DisposeClickTrackMedia() {
  Handle rack = GetClickTrackRack();
  WriteU32BE(gClickTrack + kTrackInsertRack, 0);
  if (rack) DisposeInsertRack(rack);
  std::memset(gClickTrack, 0, sizeof gClickTrack);
}
