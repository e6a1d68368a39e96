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

// tick, status, data1, data2
using EventKey = std::tuple<long, int, int, int>;
// Every event of the kind (the status's high nibble, 0xB0 controllers, 0xE0 bends) of every
// track of the document, in the order the tracks hold them.
std::vector<EventKey> DocumentEvents(const std::string& path, int kind);

}  // namespace program_test
