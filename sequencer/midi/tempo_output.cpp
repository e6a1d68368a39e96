// Interim: no output takes tempo messages yet. The MIDI clock the program sends follows the
// clock's period by itself, so a changed tempo reaches it through ApplyTempo.
#include "sequencer/midi/tempo_output.h"

void SendTempoOutput(int32_t, int32_t) {}
