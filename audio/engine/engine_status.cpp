#include "audio/engine/engine_status.h"

std::atomic<uint16_t> gAudioStatusWord{0};
