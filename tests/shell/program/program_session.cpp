#include "tests/shell/program/program_session.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <signal.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "tests/test_support.h"

namespace program_test {

namespace {

bool XvfbInstalled() {
  for (const char* dir : {"/usr/bin/", "/usr/local/bin/", "/bin/"})
    if (access((std::string(dir) + "Xvfb").c_str(), X_OK) == 0) return true;
  return false;
}

void Pause(double seconds) { usleep(useconds_t(seconds * 1e6)); }

// Ends a child: SIGTERM, then SIGKILL after the time.
void EndChild(pid_t pid, double seconds) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  for (double waited = 0; waited < seconds; waited += 0.01) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    Pause(0.01);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

}  // namespace

// ---- XServer ----------------------------------------------------------------------------------

XServer::~XServer() {
  if (display_) XCloseDisplay(display_);
  EndChild(pid_, 5);
}

bool XServer::Start(std::string* why) {
  if (!XvfbInstalled()) {
    *why = "Xvfb is not installed (Debian package xvfb)";
    return false;
  }
  // The server picks a free display itself and writes its number to the pipe, so that
  // programs starting servers at the same time never share one.
  int fds[2];
  if (pipe(fds) != 0) return *why = "no pipe", false;
  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlives a test that was killed
    close(fds[0]);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24", "-nolisten", "tcp", nullptr);
    _exit(127);
  }
  close(fds[1]);
  std::string number;
  pollfd p{fds[0], POLLIN, 0};
  char c = 0;
  while (poll(&p, 1, 10000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (!number.empty()) {
    name_ = ":" + number;
    for (double waited = 0; waited < 10 && !display_; waited += 0.05) {
      display_ = XOpenDisplay(name_.c_str());
      if (!display_) Pause(0.05);
    }
  }
  if (!display_) *why = "Xvfb did not start";
  return display_ != nullptr;
}

bool XServer::FindProgramWindow(int width, int height) {
  for (double waited = 0; waited < 10; waited += 0.1) {
    Window root = DefaultRootWindow(display_), parent = 0, *children = nullptr;
    unsigned count = 0;
    XQueryTree(display_, root, &root, &parent, &children, &count);
    for (unsigned i = 0; i < count && !window_; ++i) {
      XWindowAttributes a;
      if (XGetWindowAttributes(display_, children[i], &a) && a.map_state == IsViewable && a.width == width &&
          a.height == height) {
        window_ = children[i];
        originX_ = a.x;
        originY_ = a.y;
      }
    }
    if (children) XFree(children);
    if (window_) {
      XSetInputFocus(display_, window_, RevertToPointerRoot, CurrentTime);
      MoveTo(width / 2, height / 2);
      XSync(display_, False);
      Pause(0.3);
      return true;
    }
    Pause(0.1);
  }
  return false;
}

void XServer::MoveTo(int x, int y) {
  XTestFakeMotionEvent(display_, DefaultScreen(display_), originX_ + x, originY_ + y, CurrentTime);
  XSync(display_, False);
}

void XServer::Chord(const std::vector<std::string>& modifiers, const std::string& key) {
  auto code = [this](const std::string& name) { return XKeysymToKeycode(display_, XStringToKeysym(name.c_str())); };
  for (const std::string& m : modifiers) XTestFakeKeyEvent(display_, code(m), True, CurrentTime);
  XTestFakeKeyEvent(display_, code(key), True, CurrentTime);
  XTestFakeKeyEvent(display_, code(key), False, CurrentTime);
  for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) XTestFakeKeyEvent(display_, code(*m), False, CurrentTime);
  XSync(display_, False);
  Pause(0.2);
}

void XServer::Wheel(int x, int y, bool up, int steps) {
  MoveTo(x, y);
  Pause(0.1);
  for (int i = 0; i < steps; ++i) {
    XTestFakeButtonEvent(display_, up ? 4 : 5, True, CurrentTime);
    XTestFakeButtonEvent(display_, up ? 4 : 5, False, CurrentTime);
    XSync(display_, False);
    Pause(0.05);
  }
  Pause(0.2);
}

void XServer::Drag(int fromX, int fromY, int toX, int toY, const std::vector<std::string>& modifiers,
                   double holdSeconds) {
  auto code = [this](const std::string& name) { return XKeysymToKeycode(display_, XStringToKeysym(name.c_str())); };
  MoveTo(fromX, fromY);
  for (const std::string& m : modifiers) XTestFakeKeyEvent(display_, code(m), True, CurrentTime);
  Pause(0.1);
  XTestFakeButtonEvent(display_, 1, True, CurrentTime);
  XSync(display_, False);
  Pause(holdSeconds);
  constexpr int kSteps = 10;
  for (int i = 1; i <= kSteps; ++i) {
    Pause(0.03);
    MoveTo(fromX + (toX - fromX) * i / kSteps, fromY + (toY - fromY) * i / kSteps);
  }
  Pause(0.1);
  XTestFakeButtonEvent(display_, 1, False, CurrentTime);
  XSync(display_, False);
  Pause(0.1);
  for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) XTestFakeKeyEvent(display_, code(*m), False, CurrentTime);
  XSync(display_, False);
  Pause(0.2);
}

void XServer::ResizeProgramWindow(int width, int height) {
  XResizeWindow(display_, window_, unsigned(width), unsigned(height));
  XSync(display_, False);
  Pause(0.3);
}

std::vector<uint32_t> XServer::Grab(int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return {};
  XImage* image = XGetImage(display_, DefaultRootWindow(display_), originX_ + left, originY_ + top,
                            unsigned(right - left), unsigned(bottom - top), AllPlanes, ZPixmap);
  if (!image) return {};
  std::vector<uint32_t> pixels;
  for (int y = 0; y < bottom - top; ++y)
    for (int x = 0; x < right - left; ++x) pixels.push_back(uint32_t(XGetPixel(image, x, y) & 0xFFFFFF));
  XDestroyImage(image);
  return pixels;
}

// ---- Program ----------------------------------------------------------------------------------

Program::~Program() { EndChild(pid_, 10); }

bool Program::Start(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
                    const std::string& errorsFile, const std::string& workingFolder) {
  auto dump = env.find("ZARIN_STATE_DUMP");
  if (dump != env.end()) std::remove(dump->second.c_str());
  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    unsetenv("ZARIN_HEADLESS");
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    if (!freopen(errorsFile.c_str(), "w", stderr)) _exit(126);
    if (!workingFolder.empty() && chdir(workingFolder.c_str()) != 0) _exit(126);
    std::vector<char*> argv{const_cast<char*>(ZARIN_TEST_PROGRAM)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(ZARIN_TEST_PROGRAM, argv.data());
    _exit(127);
  }
  if (pid_ <= 0) return false;
  return dump == env.end() || WaitReady(dump->second, 20);
}

bool Program::Alive() {
  int status = 0;
  if (pid_ > 0 && waitpid(pid_, &status, WNOHANG) == pid_) pid_ = -1;
  return pid_ > 0;
}

bool Program::WaitReady(const std::string& dumpFile, double seconds) {
  for (double waited = 0; waited < seconds && Alive(); waited += 0.05) {
    if (!zarin_test::ReadWholeFile(dumpFile).empty()) return true;
    Pause(0.05);
  }
  return false;
}

std::string Program::Dump(const std::string& dumpFile, double seconds) {
  std::remove(dumpFile.c_str());
  if (!Alive() || kill(pid_, SIGUSR1) != 0) return "";
  for (double waited = 0; waited < seconds && Alive(); waited += 0.05) {
    std::string text = zarin_test::ReadWholeFile(dumpFile);
    if (!text.empty()) return text;
    Pause(0.05);
  }
  return "";
}

int Program::Wait(double seconds) {
  int status = 0;
  for (double waited = 0; waited < seconds; waited += 0.01) {
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    Pause(0.01);
  }
  return -1;
}

void Program::Signal(int signal) {
  if (Alive()) kill(pid_, signal);
}

void Program::Terminate() {
  EndChild(pid_, 10);
  pid_ = -1;
}

std::vector<std::string> DumpLines(const std::string& dump, const std::string& word) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < dump.size()) {
    size_t end = dump.find('\n', start);
    if (end == std::string::npos) end = dump.size();
    std::string line = dump.substr(start, end - start);
    if (line.compare(0, word.size() + 1, word + " ") == 0) lines.push_back(line.substr(word.size() + 1));
    start = end + 1;
  }
  return lines;
}

bool HasLine(const std::string& dump, const std::string& word, const std::string& text) {
  for (const std::string& line : DumpLines(dump, word))
    if (line.find(text) != std::string::npos) return true;
  return false;
}

std::vector<WindowLine> Windows(const std::string& dump) {
  std::vector<WindowLine> out;
  for (const std::string& line : DumpLines(dump, "window")) {
    WindowLine w;
    std::istringstream in(line);
    if (in >> w.kind >> w.visible >> w.left >> w.top >> w.right >> w.bottom) out.push_back(w);
  }
  return out;
}

WindowLine WindowOfKind(const std::string& dump, int kind) {
  for (const WindowLine& w : Windows(dump))
    if (w.kind == kind) return w;
  return WindowLine();
}

std::vector<int> Rectangle(const std::string& dump, const std::string& start) {
  size_t at = dump.find("\n" + start);
  std::vector<int> numbers(4);
  if (at == std::string::npos) return {};
  std::istringstream in(dump.substr(at + 1 + start.size()));
  for (int& n : numbers)
    if (!(in >> n)) return {};
  return numbers;
}

std::map<std::string, std::string> SessionEnvironment(const XServer& x, const zarin_test::TempFolder& home,
                                                      const std::string& dumpFile) {
  return {{"DISPLAY", x.name()},
          {"XDG_CONFIG_HOME", home.File("config")},
          {"XDG_DATA_HOME", home.File("data")},
          // No plug-ins of the machine: the start-up scan is quick and examines nothing.
          {"LV2_PATH", home.File("lv2")},
          {"ZARIN_VST_SYSTEM_PATH", ""},
          {"ZARIN_STATE_DUMP", dumpFile},
          {"ZARIN_SCREEN", std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight)}};
}

}  // namespace program_test
