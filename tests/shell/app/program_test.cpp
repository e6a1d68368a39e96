// The zarin program itself, headless: it ends cleanly on SIGTERM after writing its
// preferences, and refuses to start without its resource file; its command line, and a start
// without a display.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "tests/test_support.h"

namespace {

struct ProgramRun {
  int status = -1;
  std::string errors;
  std::string output;
};

// Starts the program with the environment given and waits for it, at most 20 s. With a ready
// file (the state summary the program writes once its start-up is done and signals are served)
// SIGTERM is sent as soon as that file appears, at most 60 s after the start.
ProgramRun RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& env,
                      const std::string& readyFile) {
  zarin_test::TempFolder out;
  std::string errFile = out.File("stderr.txt"), outFile = out.File("stdout.txt");
  pid_t pid = fork();
  if (pid == 0) {
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    if (!freopen(errFile.c_str(), "w", stderr) || !freopen(outFile.c_str(), "w", stdout)) _exit(126);
    std::vector<char*> argv{const_cast<char*>(ZARIN_TEST_PROGRAM)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(ZARIN_TEST_PROGRAM, argv.data());
    _exit(127);
  }
  ProgramRun run;
  if (pid < 0) return run;
  if (!readyFile.empty()) {
    for (int waited = 0; waited < 6000 && access(readyFile.c_str(), F_OK) != 0; ++waited) usleep(10000);
    kill(pid, SIGTERM);
  }
  int status = 0;
  for (int waited = 0; waited < 2000; ++waited) {
    if (waitpid(pid, &status, WNOHANG) == pid) {
      run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      run.errors = zarin_test::ReadWholeFile(errFile);
      run.output = zarin_test::ReadWholeFile(outFile);
      return run;
    }
    usleep(10000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return run;
}

TEST(Program, EndsOnSigtermAfterWritingItsPreferences) {
  zarin_test::TempFolder home;
  const std::string ready = home.File("state.txt");
  std::vector<std::string> env{"ZARIN_HEADLESS=1", "XDG_CONFIG_HOME=" + home.File("config"),
                               "XDG_DATA_HOME=" + home.File("data"), "ZARIN_STATE_DUMP=" + ready};
  ProgramRun run = RunProgram({zarin_test::FixturePath("smf/tempo_track_notes.mid")}, env, ready);
  EXPECT_EQ(0, run.status) << run.errors;
  EXPECT_FALSE(zarin_test::ReadWholeFile(home.File("config/Zarin/Zarin 7 Preferences")).empty());
}

TEST(Program, WithoutItsResourceFileItStopsWithAMessage) {
  zarin_test::TempFolder home;
  std::vector<std::string> env{"ZARIN_HEADLESS=1", "ZARIN_APP_RESOURCES=" + home.File("none.rsrc"),
                               "XDG_CONFIG_HOME=" + home.File("config")};
  ProgramRun run = RunProgram({}, env, "");
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.errors.find("none.rsrc")) << run.errors;
}

// Without a JACK server the program says so once and runs on (on the null device).
TEST(Program, WithoutAJackServerItSaysSoOnceAndRuns) {
  zarin_test::TempFolder home;
  const std::string ready = home.File("state.txt");
  std::vector<std::string> env{"ZARIN_HEADLESS=1", "JACK_NO_START_SERVER=1", "JACK_DEFAULT_SERVER=zarin-none",
                               "XDG_CONFIG_HOME=" + home.File("config"), "XDG_DATA_HOME=" + home.File("data"),
                               "ZARIN_STATE_DUMP=" + ready};
  ProgramRun run = RunProgram({zarin_test::FixturePath("smf/tempo_track_notes.mid")}, env, ready);
  EXPECT_EQ(0, run.status) << run.errors;
  const std::string line = "no JACK server 'zarin-none' is running";
  size_t first = run.errors.find(line);
  EXPECT_NE(std::string::npos, first) << run.errors;
  EXPECT_EQ(std::string::npos, run.errors.find(line, first + 1)) << "said once: " << run.errors;
  EXPECT_FALSE(zarin_test::ReadWholeFile(ready).empty());
}

TEST(Program, HelpPrintsTheUsageAndAnUnknownOptionIsRefused) {
  zarin_test::TempFolder home;
  std::vector<std::string> env{"ZARIN_HEADLESS=1", "XDG_CONFIG_HOME=" + home.File("config")};
  for (const char* help : {"--help", "-h"}) {
    ProgramRun run = RunProgram({help}, env, "");
    EXPECT_EQ(0, run.status) << help << run.errors;
    EXPECT_EQ(0u, run.output.find("Usage: zarin")) << help << run.output;
  }
  ProgramRun run = RunProgram({"--frobnicate", zarin_test::FixturePath("smf/tempo_track_notes.mid")}, env, "");
  EXPECT_EQ(2, run.status);
  EXPECT_NE(std::string::npos, run.errors.find("unknown option '--frobnicate'")) << run.errors;
  EXPECT_TRUE(run.output.empty()) << run.output;
  EXPECT_TRUE(zarin_test::ReadWholeFile(home.File("config/Zarin/Zarin 7 Preferences")).empty())
      << "the program did not start";
}

// Without a display, or with one that does not open, the program says so and ends at once
// instead of running unseen; ZARIN_HEADLESS=1 is the way to run it without a window.
TEST(Program, WithoutADisplayItSaysWhatIsMissing) {
  zarin_test::TempFolder home;
  struct Case {
    std::vector<std::string> display;
    std::string expect;
  } cases[] = {{{"DISPLAY=", "WAYLAND_DISPLAY="}, "no display"},
               {{"DISPLAY=:97531", "WAYLAND_DISPLAY="}, "':97531'"}};
  for (const Case& c : cases) {
    std::vector<std::string> env{"ZARIN_HEADLESS=0", "XDG_CONFIG_HOME=" + home.File("config")};
    env.insert(env.end(), c.display.begin(), c.display.end());
    ProgramRun run = RunProgram({}, env, "");
    EXPECT_EQ(1, run.status) << c.display[0];
    EXPECT_NE(std::string::npos, run.errors.find(c.expect)) << run.errors;
    EXPECT_NE(std::string::npos, run.errors.find("ZARIN_HEADLESS=1")) << run.errors;
  }
}

}  // namespace
