// The records the host hands to a unit or reads from it (host callbacks, supported channel
// pairs) are the component layer's own: see audio_unit.h.
#pragma once

#include "platform/audiounit/audio_unit.h"
