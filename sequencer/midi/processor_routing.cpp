#include "sequencer/midi/processor_routing.h"

#include "platform/memory/byte_order.h"
#include "sequencer/clock/tick_scheduler.h"
#include "sequencer/midi/realtime_processor_chain.h"
#include "sequencer/midi/realtime_processors.h"
#include "shell/base/audio_driver_lookup.h"
#include "song/instruments/driver_procs.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/output_kinds.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"
#include "song/prefs/startup_settings.h"

namespace {

constexpr uint8_t kAllChannels = 16;

RealtimeProcessor* NthProcessor(int32_t n) {
  RealtimeProcessor* p = gRealtimeProcessors;
  while (p && n-- > 0) p = p->next;
  return p;
}

void Unbind(RealtimeProcessor* p) {
  p->deviceKind = 0;
  p->port = 0;
  p->channel = kAllChannels;
  p->driverProc = kNoDriverProc;
  PublishProcessorBinding(p);
  StateOf(p)->arpSlot = kNoArpSlot;
}

// The part-0 output of the track's first instrument; false when it has no part enabled or
// plays through an audio driver.
bool BindToInstrument(RealtimeProcessor* p, const uint8_t* track) {
  uint16_t word = ReadU16BE(track + kTrackInstruments);
  const uint8_t* inst = GetInstrumentRecord(word >> 8);
  if (!inst || inst[kInstPartMask] == 0 || HasAudioDriverEntry(inst[kInstDeviceKinds])) return false;
  DriverProcId send = ReadU32BE(inst + kInstDriverProcs);
  p->deviceKind = inst[kInstDeviceKinds];
  p->port = inst[kInstPorts];
  p->channel = inst[kInstChannels] & 0x0F;
  p->instrument = word;
  p->driverProc = send != kNoDriverProc ? send : GetDriverProcForKind(p->deviceKind);
  return true;
}

void BindToTrackOutput(RealtimeProcessor* p, const uint8_t* track) {
  p->deviceKind = track[kTrackType];
  p->port = track[kTrackMidiOutput];
  p->channel = kAllChannels;
  DriverProcId send = ReadU32BE(track + kTrackDriverProc);
  p->driverProc = send != kNoDriverProc ? send : GetDriverProcForKind(p->deviceKind);
}

void AssignNext(void* block, uint8_t* track) { AssignNodeToTrack(static_cast<int32_t*>(block), track); }

}  // namespace

void ForEachPlayingTrack(void (*callback)(void* block, uint8_t* track), void* block) {
  if (!gCurrentSong) return;
  bool anyArmed = false;
  for (int32_t i = 0; i < ReadU16BE(gCurrentSong + kSongTrackCount); ++i) {
    uint8_t* track = GetTrackEntryAt(i);
    if (!track || !(track[kTrackModeFlags] & kTrackModeArmed)) continue;
    anyArmed = true;
    callback(block, track);
  }
  if (!anyArmed && HasValidCurrentTrack()) callback(block, gCurrentTrack);
}

void AssignNodeToTrack(int32_t* counter, const uint8_t* track) {
  RealtimeProcessor* p = NthProcessor(*counter);
  if (!p || !track) return;
  p->trackNumber = track[kTrackNumber];
  ReleaseHeldNotes(p, nullptr);
  uint8_t outputClass = track[kTrackOutputKind];
  if ((p->flags & kProcessorSwitchedOff) || (outputClass != 0 && outputClass != 3)) return;
  bool throughTable = track[kTrackFlags] & kTrackInstrumentTrack;
  if (throughTable && !BindToInstrument(p, track)) return;
  if (!throughTable) BindToTrackOutput(p, track);
  ++*counter;
  UpdateChainFlags(0xFFFF, kProcessorRunFlags);
  // Recorded events keep their channel when the thru goes to an instrument's channel.
  if (throughTable) p->flags &= uint16_t(~kProcessorRechannel);
  PublishProcessorBinding(p);
  // The keys played for the track feed its arpeggiator slot (255: none).
  StateOf(p)->arpSlot = track[kTrackArpeggiatorSlot];
}

void BindProcessorsToTracks() {
  if (!(gRealtimeProcessorSettings & 1)) return;
  for (RealtimeProcessor* p = gRealtimeProcessors; p; p = p->next) Unbind(p);
  int32_t counter = 0;
  ForEachPlayingTrack(AssignNext, &counter);
  if (counter == 0) ResetChainProcessors();
}
