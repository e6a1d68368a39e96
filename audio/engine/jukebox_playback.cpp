#include "audio/engine/jukebox_playback.h"

namespace {

constexpr int16_t kNoJukeboxFile = -50;

}  // namespace

int16_t PrepareJukeboxPlayback(const FSSpec*) { return kNoJukeboxFile; }
