#include "editors/note_entry/note_audition.h"

#include <algorithm>
#include <cstring>

#include "editors/note_entry/grid_snapping.h"
#include "editors/note_entry/note_pencil.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/midi/midi_output.h"
#include "sequencer/transport/playback_control.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/instruments/driver_procs.h"
#include "song/instruments/output_kinds.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_settings.h"
#include "song/model/utility_track_access.h"

namespace {

// One note on the current track's output now, its end length ticks later.
bool PlayTrackNote(uint8_t pitch, uint8_t velocity, uint32_t length) {
  const uint8_t* track = gCurrentTrack;
  if (!gCurrentSong || !track) return false;
  length = std::max<uint32_t>(length, 1);
  if (track[kTrackFlags] & kTrackFlagPlaysInstrument) {
    int32_t count = std::min<int32_t>(track[kTrackChannelCount], kTrackInstrumentSlots);
    for (int32_t i = 0; i < count; ++i)
      SendToInstrumentSlots(ReadU16BE(track + kTrackInstruments + 2 * i) >> 8, kKindNote, pitch, velocity, length);
    return count > 0;
  }
  DriverProcId send = ReadU32BE(track + kTrackDriverProc);
  if (send == kNoDriverProc) send = GetDriverProcForKind(track[kTrackType]);
  uint8_t status = uint8_t(kKindNote | (GetTrackChannel() & 0x0F));
  return PlayNoteWithOff(nullptr, status, pitch, velocity, length, send, track[kTrackMidiOutput], nullptr, true);
}

}  // namespace

bool SendTemplateNote() {
  return PlayTrackNote(gEventTemplate[kEventData1] & 0x7F, gEventTemplate[kEventData2] & 0x7F,
                       GetNoteDuration(gEventTemplate));
}

int32_t AuditionNotesInRange(uint32_t start, uint32_t end) {
  Handle list = GetCurrentTrackEventList();
  if (!list || !gCurrentTrack || !(gCurrentTrack[kTrackFlags] & kTrackFlagAudible)) return 0;
  // The notes are copied out first: playing may not move the list, but a send must never
  // read through a pointer into it.
  int32_t sent = 0;
  uint32_t size = uint32_t(GetHandleSize(list));
  for (uint32_t at = 0; at < size;) {
    const uint8_t* e = reinterpret_cast<const uint8_t*>(HandleData(list)) + at;
    uint32_t length = SeqEventLengthWithin(e, size - at);
    uint32_t time = SeqEventTime(e);
    if (length == 0 || time == 0 || time >= end) break;
    uint8_t note[kLongEventSize];
    std::memcpy(note, e, std::min<uint32_t>(length, kLongEventSize));
    at += length;
    if (time < start || SeqEventKind(note) != kKindNote) continue;
    sent += PlayTrackNote(note[kEventData1] & 0x7F, note[kEventData2] & 0x7F, GetNoteDuration(note)) ? 1 : 0;
  }
  return sent;
}

int32_t InsertAndAuditionNote(int32_t tick, int32_t pitch, int32_t velocity, bool send, int32_t swing) {
  if (EnsureTrackEventList() != noErr) return 0;
  tick = SnapTimeToGrid(tick, 0, gSnapSwitch != 0, true, nullptr);
  uint16_t length = NoteLengthWithSwing(tick, swing);
  if (InsertNoteAt(tick, pitch, velocity, length) != noErr) return 0;
  if (send) SendTemplateNote();
  return tick + length;
}
