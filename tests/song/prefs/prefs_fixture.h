// The preferences tests' world: a Preferences folder of the test's own, an empty application
// resource file, the program's settings at their defaults, an instrument table and open
// songs (from the instrument tests' fixture), and a leak check at the end.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/files/file_types.h"
#include "song/prefs/preferences_reader.h"
#include "song/prefs/startup_settings.h"
#include "tests/song/instruments/instrument_fixture.h"
#include "tests/test_support.h"

namespace prefs_test {

// The writer's field widths as the file format gives them, parsed on their own so that the
// tests do not take the program's field table on trust.
std::vector<int32_t> WriterFieldWidths();
// A value for field i that no other field has and that no read rule changes.
uint32_t DistinctValue(int32_t index, int32_t width);
// Byte k of the byte run of field index (the colour run carries its marker).
uint8_t DistinctByte(int32_t index, int32_t k);
// Settings whose every field holds DistinctValue (byte runs a pattern of their own).
PrefsSettings DistinctSettings();

class PrefsTest : public instrument_test::InstrumentTableTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string PrefsPath() const;
  std::string PrefsSidecarPath() const;
  std::string FolderFile(const std::string& name) const { return folder_.File(name); }
  // Names in the Preferences folder, hidden ones included.
  std::vector<std::string> FolderNames() const;

  // Writes bytes to a scratch file and runs the data fork reader over them.
  OSErr ReadImage(const std::string& bytes, PreferencesData* data);
  // What WritePreferencesStream writes, taken from a scratch file.
  std::string WriteImage();
  // A user resource ('DSET' 128, "Drums") in the preferences resource file, on disk.
  void AddUserResource();

  // Fills the program's state with recognisable values: settings, layout, pane table,
  // drawing block, an instrument table with assignment handles and a plug-in record, and an
  // assignment table with its blocks.
  void FillProgramState();
  void ResetProgramState();

  zarin_test::TempFolder folder_;
  zarin_test::TempFolder appFolder_;
  zarin_test::TempFolder scratch_;
};

}  // namespace prefs_test
