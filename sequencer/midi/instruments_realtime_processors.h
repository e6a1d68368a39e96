// The chain of real-time MIDI processors, as the instrument table and the shell see it.
#pragma once

#include "sequencer/midi/realtime_processors.h"
