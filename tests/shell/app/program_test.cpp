// The zarin program itself, headless: it ends cleanly on SIGTERM after writing its
// preferences, and refuses to start without its resource file.
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
};

// Starts the program with the environment given, sends SIGTERM after `seconds` (never when
// negative) and waits for it, at most 20 s.
ProgramRun RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& env, double seconds) {
  zarin_test::TempFolder out;
  std::string errFile = out.File("stderr.txt");
  pid_t pid = fork();
  if (pid == 0) {
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    if (!freopen(errFile.c_str(), "w", stderr)) _exit(126);
    std::vector<char*> argv{const_cast<char*>(ZARIN_TEST_PROGRAM)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(ZARIN_TEST_PROGRAM, argv.data());
    _exit(127);
  }
  ProgramRun run;
  if (pid < 0) return run;
  if (seconds >= 0) {
    usleep(useconds_t(seconds * 1e6));
    kill(pid, SIGTERM);
  }
  int status = 0;
  for (int waited = 0; waited < 2000; ++waited) {
    if (waitpid(pid, &status, WNOHANG) == pid) {
      run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      run.errors = zarin_test::ReadWholeFile(errFile);
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
  std::vector<std::string> env{"ZARIN_HEADLESS=1", "XDG_CONFIG_HOME=" + home.File("config"),
                               "XDG_DATA_HOME=" + home.File("data")};
  ProgramRun run = RunProgram({zarin_test::FixturePath("smf/tempo_track_notes.mid")}, env, 1.5);
  EXPECT_EQ(0, run.status) << run.errors;
  EXPECT_FALSE(zarin_test::ReadWholeFile(home.File("config/Zarin/Zarin 7 Preferences")).empty());
}

TEST(Program, WithoutItsResourceFileItStopsWithAMessage) {
  zarin_test::TempFolder home;
  std::vector<std::string> env{"ZARIN_HEADLESS=1", "ZARIN_APP_RESOURCES=" + home.File("none.rsrc"),
                               "XDG_CONFIG_HOME=" + home.File("config")};
  ProgramRun run = RunProgram({}, env, -1);
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.errors.find("none.rsrc")) << run.errors;
}

}  // namespace
