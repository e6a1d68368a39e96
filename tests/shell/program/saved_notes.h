// The notes a test gives the program and the notes it finds in what the program saved: a
// format-0 MIDI file of quarter notes, and every note of a song document read back with the
// song reader.
#pragma once

#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace program_test {

// tick, pitch, velocity, duration
using NoteKey = std::tuple<long, int, int, int>;

// A format-0 file at 480 ticks a quarter, 4/4: one quarter note a beat from the first, of the
// pitches and velocities given (as many as pitches); the path.
std::string WriteQuarterNotes(const std::string& path, const std::vector<int>& pitches,
                              const std::vector<int>& velocities);
// Every note of every track of the document.
std::multiset<NoteKey> DocumentNotes(const std::string& path);

}  // namespace program_test
