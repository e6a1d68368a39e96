// The canonical text of a song that the Standard MIDI File comparison uses: the conductor
// map (tempo, meter and key changes, the tick-1 values from the header) and, per track, the
// notes, controllers, programs, pressures and pitch bends, each as one line of numbers.
// Lines are sorted within each section, so the text does not depend on the order of events
// at the same tick. tests/song/smf/smf_canonical.py writes the same text from mido.
#pragma once

#include <string>

// The current song as canonical text.
std::string DumpSongCanonical();
