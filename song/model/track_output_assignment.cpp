#include "song/model/track_output_assignment.h"

#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/output_bindings.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_settings.h"

bool TrackMatchesInstrument() {
  uint8_t* record = GetInstrumentRecord(gCurrentInstrument);
  if (!record || gCurrentInstrument >= gInstrumentCount) return false;
  InstrumentView instrument(record);
  return gCurrentTrack[kTrackMidiOutput] == instrument.Port(0) &&
         gCurrentEventChannel == instrument.Channel(0) &&
         gCurrentTrack[kTrackType] == instrument.DeviceKind(0);
}

int32_t AssignInstrumentToTrack(void*) {
  if (!TrackMatchesInstrument()) return 0;
  TrackEntryView track(gCurrentTrack);
  track.SetInstrument(0, uint16_t(gCurrentInstrument << 8));
  track.SetFlags(track.Flags() | kTrackFlagPlaysInstrument);
  track.SetChannelCount(1);
  return 1;
}

void SetTrackOutput(uint8_t output, uint8_t channel, uint8_t type) {
  TrackEntryView track(gCurrentTrack);
  gCurrentTrack[kTrackMidiOutput] = output;
  track.SetType(type);
  SetTrackChannel(channel);
  track.SetFlags(track.Flags() & uint8_t(~kTrackFlagPlaysInstrument));
  track.SetChannelCount(0);
  int32_t found = FindInstrumentByOutput(type, output, channel);
  if (found < 0) return;
  int32_t savedInstrument = gCurrentInstrument;
  uint8_t savedChannel = gCurrentEventChannel;
  gCurrentInstrument = found;
  gCurrentEventChannel = channel;
  AssignInstrumentToTrack(nullptr);
  gCurrentInstrument = savedInstrument;
  gCurrentEventChannel = savedChannel;
}
