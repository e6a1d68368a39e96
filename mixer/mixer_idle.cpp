#include "mixer/mixer_idle.h"

// Interim: the mixer and the instrument window are not built yet: no meters to move.
void MixerMetersIdle() {}
void InstrumentWindowIdle() {}
