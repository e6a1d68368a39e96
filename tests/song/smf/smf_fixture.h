// Shared set-up of the Standard MIDI File tests: a fresh song database at 480 ticks per
// quarter, files written to a temporary folder and imported, and views of the result.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files/file_locations.h"
#include "platform/memory/memory.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/utility_track_access.h"
#include "song/smf/smf_import.h"
#include "tests/song/smf/smf_bytes.h"
#include "tests/song/smf/smf_test_setup.h"
#include "tests/test_support.h"

// One event of a track, decoded.
struct SeenEvent {
  uint32_t tick;
  uint8_t status;
  uint8_t d1, d2, d3;
  uint16_t duration;   // notes
  uint8_t flags;
  Bytes data;          // data events: the bytes after the F0
};

class SmfTest : public ::testing::Test {
 protected:
  void SetUp() override { SetUpSmfImportState(480); }

  std::string WriteFile(const std::string& name, const Bytes& bytes) {
    std::string path = folder_.File(name);
    zarin_test::WriteWholeFile(path, std::string(bytes.begin(), bytes.end()));
    return path;
  }
  OSErr ImportPath(const std::string& path, uint32_t mergeTick = 0) {
    FSSpec fileSpec;
    OSErr err = PathToSpec(path, &fileSpec);
    if (err != noErr) return err;
    return ImportStandardMidiFile(&fileSpec, mergeTick);
  }
  OSErr Import(const Bytes& bytes, uint32_t mergeTick = 0, const std::string& name = "Test.mid") {
    return ImportPath(WriteFile(name, bytes), mergeTick);
  }
  OSErr ImportFixture(const std::string& name, uint32_t mergeTick = 0) {
    return ImportPath(zarin_test::FixturePath("smf/" + name), mergeTick);
  }

  // The events of track i of the current song.
  std::vector<SeenEvent> Events(int32_t i);
  std::vector<SeenEvent> Notes(int32_t i);
  std::string TrackName(int32_t i);
  std::string SongName();
  // Every open song's block, lists and events as bytes: equal before and after an import
  // that failed.
  std::string SongTableSnapshot();

  zarin_test::TempFolder folder_;
};
