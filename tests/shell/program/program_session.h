// The real zarin program under a private X server: starting Xvfb on a free display, typing
// and clicking into the program's window through the XTest extension, and starting the
// program, asking it for its state dump and waiting for it to end.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct _XDisplay;

namespace zarin_test {
class TempFolder;
}

namespace program_test {

// The screen the sessions give the program (ZARIN_SCREEN), smaller than the X server's.
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 700;

class XServer {
 public:
  XServer() = default;
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;
  // Starts Xvfb on a free display; false (with the reason) when Xvfb is missing or does not
  // come up within 10 s.
  bool Start(std::string* why);
  const std::string& name() const { return name_; }
  // The program's top-level window: waits up to 10 s for it, gives it the keyboard focus and
  // returns its origin on the X screen; false when it never came.
  bool FindProgramWindow(int width, int height);
  // A key with modifier keysyms held around it (e.g. {"Super_L"}, "o").
  void Chord(const std::vector<std::string>& modifiers, const std::string& key);
  // Wheel steps at a point of the program's screen: up (away from the user) or down.
  void Wheel(int x, int y, bool up, int steps);
  // Press at one point of the program's screen, move there in steps, release at the other;
  // the modifier keysyms are held around it; the button is held still for holdSeconds first
  // (a pop-up opened by the press has shown by then).
  void Drag(int fromX, int fromY, int toX, int toY, const std::vector<std::string>& modifiers = {},
            double holdSeconds = 0);
  // Resizes the program's top-level window (FindProgramWindow first), as a user would.
  void ResizeProgramWindow(int width, int height);
  // The pixels (0xRRGGBB, row by row) of a rectangle of the program's screen as the X server
  // shows it; empty when it cannot be read.
  std::vector<uint32_t> Grab(int left, int top, int right, int bottom);

 private:
  void MoveTo(int x, int y);
  pid_t pid_ = -1;
  std::string name_;
  _XDisplay* display_ = nullptr;
  unsigned long window_ = 0;
  int originX_ = 0, originY_ = 0;
};

class Program {
 public:
  Program() = default;
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  // Starts the program with the arguments and the environment variables (added to ours);
  // with ZARIN_STATE_DUMP among them, waits (up to 20 s) for the first dump, which the
  // program writes when its event loop starts.
  // workingFolder: where it runs ("" : here).
  bool Start(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
             const std::string& errorsFile, const std::string& workingFolder = "");
  // Asks for the state dump (ZARIN_STATE_DUMP must be among the variables) and returns it;
  // "" when none came within the time.
  std::string Dump(const std::string& dumpFile, double seconds = 10);
  // Waits for the program to end: its exit status, or -1 when it still runs after the time.
  int Wait(double seconds);
  void Terminate();
  // Sends the program a signal (SIGTERM, say) without waiting.
  void Signal(int signal);
  bool Alive();

 private:
  bool WaitReady(const std::string& dumpFile, double seconds);
  pid_t pid_ = -1;
};

// The dump's lines that begin with the word (each without it).
std::vector<std::string> DumpLines(const std::string& dump, const std::string& word);
// True when a line of the dump that begins with the word holds the text.
bool HasLine(const std::string& dump, const std::string& word, const std::string& text);
// The dump's "window" lines.
struct WindowLine {
  int kind = -1;
  int visible = 0;
  int left = 0, top = 0, right = 0, bottom = 0;
};
std::vector<WindowLine> Windows(const std::string& dump);
// The window of that kind (kind -1 when there is none).
WindowLine WindowOfKind(const std::string& dump, int kind);
// The four numbers after the start of the dump's line that begins so (empty when none).
std::vector<int> Rectangle(const std::string& dump, const std::string& start);
// The program on the X server with its own settings folders, a screen of the size above and
// the state dump.
std::map<std::string, std::string> SessionEnvironment(const XServer& x, const zarin_test::TempFolder& home,
                                                      const std::string& dumpFile);

// Polls until the predicate holds for a fresh dump, up to the time; the last dump.
template <typename Pred>
std::string DumpUntil(Program& program, const std::string& file, Pred pred, double seconds = 15) {
  std::string dump;
  for (double waited = 0; waited < seconds && program.Alive(); waited += 0.3) {
    dump = program.Dump(file, 2);
    if (pred(dump)) return dump;
    usleep(200000);
  }
  return dump;
}

}  // namespace program_test
