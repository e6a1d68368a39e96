// Shared set-up of the song document tests: a fresh song database and an empty document per
// test, a temporary folder for the files, builders for songs with every kind of stored block,
// and a snapshot of the open songs that compares blocks by content (handle ids aside).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files/files.h"
#include "platform/memory/mac_types.h"
#include "shell/base/error_report_hooks.h"
#include "tests/test_support.h"

namespace doc_test {

class DocumentTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string Path(const std::string& name) const { return folder_.File(name); }
  FSSpec FileSpecNamed(const std::string& name) const;
  std::string ReadFile(const std::string& name) const;
  void WriteFile(const std::string& name, const std::string& bytes) const;

  // Slot `slot` becomes a new song with `tracks` tracks (current afterwards).
  void MakeSong(int32_t slot, int32_t tracks);
  // Gives track `index` of the current song `events` events of every length class.
  void FillTrack(int32_t index, int32_t events, uint8_t seed);
  // Tempo, meter, key and volume changes and a few markers in the current song.
  void AddConductorAndMarkers(uint8_t seed);
  // Extra per-song blocks: +388 and a 704-byte pane table.
  void AddSongBlocks(uint8_t seed);
  // Section list, drum data, further block and two plug-in records with their blocks.
  void AddTrackBlocks(int32_t index, uint8_t seed);
  // count children of the current track (each with two filled tracks); child `link` (when
  // >= 0) is a link to the song with id linkId.
  void AddChildren(int32_t count, int32_t link, uint16_t linkId);
  // A 158-byte plug-in record with region, rack state and tail blocks.
  static Handle MakePluginRecord(uint8_t seed);
  // Several songs, child sequences (a link among them), every stored block, an instrument
  // table with plug-in data and document-wide blocks.
  void BuildRichDocument();
  // Two songs, one child sequence, events, markers, no document-wide blocks and no
  // instrument table: small enough for every truncation to be tried.
  void BuildSmallDocument();

  OSErr Save(const std::string& name);
  OSErr Open(const std::string& name);

  // Every open song (children included) as bytes: headers and entries with their handle
  // words and run-time words cleared, followed by the blocks they name.
  static std::string SnapshotSongs();
  // The document header's blocks and the instrument table, by content.
  static std::string SnapshotDocument();

  // Takes the open songs and document as they stand, for OpenRefused.
  void KeepOpenDocument();
  // Opens bytes as a document: the open must fail, leave no handle or fork behind and change
  // nothing of what KeepOpenDocument kept. Returns the error.
  OSErr OpenRefused(const std::string& bytes, const std::string& what);

  zarin_test::TempFolder folder_;
  std::string keptSongs_;
  std::string keptDocument_;
  uint32_t handlesAtStart_ = 0;
  int forksAtStart_ = 0;
};

// With the application's texts, and alerts read back instead of shown: AlertText() is the
// text of the last alert (ClearAlertText empties it).
class AlertTextTest : public DocumentTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  static std::string AlertText();
  static void ClearAlertText();

  int16_t appResources_ = -1;
  ErrorReportHooks savedHooks_;
};

// Empties the recent song and import file lists that opening through the dispatcher fills.
void ForgetRecentFiles();

// The names in a folder, sorted, sidecars and temporaries included.
std::vector<std::string> NamesInFolder(const std::string& folder);

// Big-endian helpers for building files by hand.
void PutU16(std::string* s, size_t at, uint16_t v);
void PutU32(std::string* s, size_t at, uint32_t v);
uint16_t GetU16(const std::string& s, size_t at);
uint32_t GetU32(const std::string& s, size_t at);

}  // namespace doc_test
