// Lyrics reader: any text becomes one lyric marker a word, each with a name that fits, all at
// or after the insertion tick; the song's marker list is put back after each input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/memory/memory.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/markers.h"
#include "song/conductor/timebase.h"
#include "song/documents/lyrics_files.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/smf/smf_import.h"
#include "tests/fuzz/fuzz_input_file.h"

namespace {

constexpr uint32_t kInsertionTick = 241;
std::string gEmptyMarkers;

// A song of one track with six notes a quarter apart, read from a small MIDI file.
bool SetUp() {
  gResolutionBeforeChange = gTicksPerQuarter = 480;
  gConductorState = ConductorState();
  ApplyTimebase();
  ResetSongDatabase();
  std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 120,
                               'M', 'T', 'r', 'k', 0, 0, 0, 0};
  for (uint8_t note = 60; note < 66; ++note)
    file.insert(file.end(), {0, 0x90, note, 100, 0x78, 0x80, note, 0});
  file.insert(file.end(), {0, 0xFF, 0x2F, 0});
  file[21] = uint8_t(file.size() - 22);
  FSSpec song = WriteFuzzFile("notes.mid", file.data(), file.size());
  if (ImportStandardMidiFile(&song, 0) != noErr) std::abort();
  Handle markers = SongHeaderView(gCurrentSong).MarkerList();
  gEmptyMarkers.assign(HandleData(markers), size_t(GetHandleSize(markers)));
  return true;
}

void RestoreMarkers() {
  Handle markers = SongHeaderView(gCurrentSong).MarkerList();
  SetHandleSize(markers, Size(gEmptyMarkers.size()));
  std::memcpy(HandleData(markers), gEmptyMarkers.data(), gEmptyMarkers.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = SetUp();
  (void)ready;
  FSSpec fileSpec = WriteFuzzFile("words.txt", data, size);
  std::vector<std::vector<uint8_t>> words;
  SplitLyricWords(data, uint32_t(size), &words);
  if (ImportLyricsFile(&fileSpec, kInsertionTick) != noErr) std::abort();
  if (CountMarkers() != int32_t(words.size())) std::abort();
  // One walk along the list (looking each marker up by number checks the list every time).
  uint8_t* marker = words.empty() ? nullptr : GetMarkerAt(0);
  for (const std::vector<uint8_t>& word : words) {
    uint8_t* name = GetMarkerName(marker);
    if (MarkerKind(marker) != kLyricMarkerKind || MarkerTick(marker) < kInsertionTick) std::abort();
    if (name[0] != word.size() || std::memcmp(name + 1, word.data(), name[0]) != 0) std::abort();
    marker = GetNextMarker(marker);
  }
  RestoreMarkers();
  return 0;
}
