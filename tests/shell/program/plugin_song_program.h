// The real program on a song whose track plays a rack of real plug-ins: the plug-in files are
// copied into a VST folder of the test's own and examined here, the song is made with the
// plug-in host and saved, and a first run of the program examines the plug-ins for itself
// (a song finds its plug-ins by their IDs in the program's information file).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/shell/program/program_session.h"
#include "tests/song/documents/document_fixture.h"

namespace program_test {

class PluginSongProgramTest : public doc_test::DocumentTest {
 protected:
  // Call from SetUp: skips without Xvfb; copies and examines the plug-in files.
  void SetUpPlugins(const std::vector<std::string>& paths);
  void TearDown() override;
  // The plug-in table's index of the copied file of that name, -1 for none.
  int32_t IndexOf(const std::string& fileName);
  // One track of notes (in its first 600 ticks) whose output is a plug-in device: a rack of
  // the plug-ins of these table indexes, in order; `inspect` sees the live chain before the
  // song is saved as `name`.
  void SaveSongOnRack(const std::string& name, const std::vector<int32_t>& plugins, uint32_t endTick,
                      const std::function<void(uint32_t head)>& inspect = nullptr);
  // The program's environment with the null audio device and the test's VST folder; a first
  // run that ends once the program's information file knows every ID. False when it never
  // does.
  bool ExamineInFirstRun(const std::vector<uint32_t>& ids);

  XServer x;
  Program program_;
  zarin_test::TempFolder prefs_, home_, plugins_, session_;
  std::string dumpFile = session_.File("state.txt");
  std::map<std::string, std::string> env;

 private:
  std::unique_ptr<zarin_test::ScopedEnv> homeEnv_, vstEnv_;
};

}  // namespace program_test
