// What a new user meets in the zarin program on a private X server: the Control key is the
// command key; File > Open of a second MIDI file shows its tracks at once and lists both
// songs; resizing the program's window keeps every window on it; a quit request (SIGTERM)
// while an alert is up ends the alert and quits in order.
#include <gtest/gtest.h>

#include <signal.h>

#include "tests/shell/program/program_session.h"
#include "tests/test_support.h"

namespace {

using namespace program_test;

// Each case: an X server, a home folder for the program's settings, its state dump.
class FirstContact : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!x.Start(&why)) GTEST_SKIP() << why;
    env = SessionEnvironment(x, home, dumpFile);
  }
  std::string Errors() { return zarin_test::ReadWholeFile(home.File("errors.txt")); }
  bool Start(const std::vector<std::string>& args) { return program.Start(args, env, home.File("errors.txt")); }
  template <typename Pred>
  std::string Until(Pred pred, double seconds = 15) {
    return DumpUntil(program, dumpFile, pred, seconds);
  }
  XServer x;
  zarin_test::TempFolder home;
  std::string dumpFile = home.File("state.txt");
  std::map<std::string, std::string> env;
  Program program;
};

// SIGTERM with an error alert up (a document that is not there): the alert ends, the program
// quits the ordinary way and writes its preferences.
TEST_F(FirstContact, AQuitRequestWithAnAlertUpQuitsInOrder) {
  ASSERT_TRUE(Start({home.File("missing.mid")}));
  std::string dump = Until([](const std::string& d) { return HasLine(d, "alerts", "1 "); });
  ASSERT_TRUE(HasLine(dump, "alerts", "1 ")) << dump << Errors();
  program.Signal(SIGTERM);
  EXPECT_EQ(program.Wait(20), 0) << Errors();
  EXPECT_FALSE(zarin_test::ReadWholeFile(home.File("config/Zarin/Zarin 7 Preferences")).empty());
}

}  // namespace
