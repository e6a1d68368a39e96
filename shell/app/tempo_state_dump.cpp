#include "shell/app/tempo_state_dump.h"

#include "platform/memory/byte_order.h"
#include "sequencer/midi/midi_utilities.h"
#include "sequencer/transport/transport_tempo.h"
#include "shell/windows/tempo_display.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"

void AppendTempoStateDump(std::string* out) {
  int64_t songFactor = gCurrentSong ? ReadU16BE(gCurrentSong + kSongTempoFactor) : -1;
  *out += "tempo " + std::to_string(songFactor) + " " + std::to_string(gClockTempoFactor) + " " +
          std::to_string(gClockTempo) + " " + std::to_string(GetScaledTempo()) + " " +
          std::to_string(gTempoKnobPosition) + "\n";
}
