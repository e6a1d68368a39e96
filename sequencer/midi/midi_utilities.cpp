#include "sequencer/midi/midi_utilities.h"

#include "platform/memory/byte_order.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "sequencer/transport/playback_control.h"
#include "sequencer/transport/transport_tempo.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

uint32_t SplitSequencerEventStatus() { return SplitEventStatus(gCurrentEvent); }

int16_t GetScaledTempo() { return ScaleTempoValue(gTransportClock.tempo, 0); }

void RefreshTempo() {
  uint16_t tempo = gCurrentSong ? ReadU16BE(gCurrentSong + kSongTempo) : kDefaultTempo;
  if (tempo == 0) tempo = kDefaultTempo;
  gTransportClock.tempo = tempo;
  ApplyTempo(GetScaledTempo());
}
