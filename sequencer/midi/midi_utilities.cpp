#include "sequencer/midi/midi_utilities.h"

#include "platform/memory/byte_order.h"
#include "sequencer/transport/conductor_transport.h"
#include "sequencer/clock/sequencer_clock.h"
#include "sequencer/clock/transport_clock.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

uint8_t gEventCommand = 0;
uint8_t gEventChannel = 0;

uint32_t SplitEventStatus(const uint8_t* event) {
  if (!event) return 0;
  gEventCommand = event[kEventStatus] & 0xF0;
  gEventChannel = event[kEventStatus] & 0x0F;
  return SeqEventTime(event);
}

uint32_t SplitSequencerEventStatus() { return SplitEventStatus(gCurrentEvent); }

int16_t ScaleTempoValue(int32_t tempo, int32_t factor) {
  if (factor == 0) factor = gTransportClock.tempoScale;
  uint64_t product = uint64_t(uint32_t(tempo) & 0xFFFF) * (uint32_t(factor) & 0xFFFF);
  uint64_t scaled = (product + 1024) >> 11;
  if (scaled < uint64_t(kMinTempo)) return int16_t(kMinTempo);
  if (scaled > uint64_t(kMaxTempo)) return int16_t(kMaxTempo);
  return int16_t(scaled);
}

int16_t GetScaledTempo() { return ScaleTempoValue(gTransportClock.tempo, 0); }

void RefreshTempo() {
  uint16_t tempo = gCurrentSong ? ReadU16BE(gCurrentSong + kSongTempo) : kDefaultTempo;
  if (tempo == 0) tempo = kDefaultTempo;
  gTransportClock.tempo = tempo;
  SetTempoFromTable(GetScaledTempo());
}
