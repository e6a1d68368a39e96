#include "audio/sample_position.h"

#include <cmath>

#include "song/song_context.h"
#include "song/song_layout.h"

namespace {

// Samples per tick from the song header's tempo at tick 1 and its resolution.
double SamplesPerTick(float rate) {
  double tempo = 1200.0;  // tenths of a beat per minute
  double resolution = 480.0;
  if (gCurrentSong) {
    uint16_t t = ReadU16BE(gCurrentSong + kSongTempo);
    uint16_t r = ReadU16BE(gCurrentSong + kSongResolution);
    if (t) tempo = t;
    if (r) resolution = r;
  }
  return double(rate) * 600.0 / (tempo * resolution);
}

}  // namespace

// Interim: the tempo at tick 1 taken for the whole song, until the engine's conversion
// through the tempo map exists.
int64_t TickToSamplePosition(uint32_t tick, float rate) {
  if (tick < 1 || !(rate > 0)) return 0;
  return int64_t(std::llround(double(tick - 1) * SamplesPerTick(rate)));
}

// Interim: the inverse of TickToSamplePosition.
uint32_t SamplePositionToTick(int64_t position, float rate) {
  if (position <= 0 || !(rate > 0)) return 1;
  return uint32_t(std::llround(double(position) / SamplesPerTick(rate))) + 1;
}
