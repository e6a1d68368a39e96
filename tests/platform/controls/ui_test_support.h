// Shared pieces of the control, dialog and nib tests: a headless screen with windows that go
// away after each test, posting mouse and key input, reading pixels of a window, resource
// files written from resource-compiler text, and a guard that ends a modal loop that never
// would.
#pragma once

#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/events/host_input.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/resources/resources.h"
#include "platform/windows/windows.h"
#include "tests/test_support.h"
#include "tools/rezc/rez_compiler.h"

namespace ui_test {

inline void ResetInput() {
  FlushEventQueue(GetMainEventQueue());
  ResetHostInputState();
  SetManualEventClock(false, 0);
}

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ZARIN_HEADLESS", "1", 1);
    InitWindows();
    ResetInput();
  }
  void TearDown() override {
    for (WindowRef w : windows_)
      if (IsValidWindowPtr(w)) DisposeWindow(w);
    ResetInput();
  }
  // A visible, selected window of the class with its content at bounds (global).
  WindowRef NewTestWindow(Rect bounds = Rect{100, 100, 300, 400},
                          WindowClass windowClass = kDocumentWindowClass,
                          WindowAttributes attributes = kWindowNoAttributes) {
    WindowRef w = nullptr;
    EXPECT_EQ(CreateNewWindow(windowClass, attributes, &bounds, &w), noErr);
    windows_.push_back(w);
    ShowWindow(w);
    SelectWindow(w);
    return w;
  }
  void Track(WindowRef w) { windows_.push_back(w); }

  std::vector<WindowRef> windows_;
};

// A Pascal string from text (Mac Roman bytes, at most 255).
struct PStr {
  explicit PStr(const std::string& text) {
    s[0] = UInt8(text.size() > 255 ? 255 : text.size());
    for (int i = 0; i < s[0]; ++i) s[i + 1] = UInt8(text[size_t(i)]);
  }
  operator ConstStr255Param() const { return s; }
  std::string str() const { return std::string(reinterpret_cast<const char*>(s + 1), s[0]); }
  Str255 s;
};

inline std::string FromPString(ConstStr255Param p) {
  return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}

inline Point Global(WindowRef w, Point local) {
  QDLocalToGlobalPoint(GetWindowPort(w), &local);
  return local;
}

inline Point Center(const Rect& r) {
  return Point{short((r.top + r.bottom) / 2), short((r.left + r.right) / 2)};
}

inline Point ControlCenter(ControlRef c) {
  Rect r;
  GetControlBounds(c, &r);
  return Center(r);
}

inline void PostMouse(UInt32 kind, Point global, UInt32 modifiers = 0) {
  ASSERT_EQ(PostHostMouseEvent(kind, global, 1, modifiers), noErr);
}

inline void PostClick(Point global, UInt32 modifiers = 0) {
  PostMouse(kEventMouseDown, global, modifiers);
  PostMouse(kEventMouseUp, global, modifiers);
}

// A key pressed and released; charCode -1 takes the character from the US layout.
inline void PostKey(UInt16 keyCode, SInt16 charCode = -1, UInt32 modifiers = 0) {
  ASSERT_EQ(PostHostKeyEvent(kEventRawKeyDown, keyCode, modifiers, charCode), noErr);
  ASSERT_EQ(PostHostKeyEvent(kEventRawKeyUp, keyCode, modifiers, charCode), noErr);
}

// Typing plain characters (the key code does not matter to the controls).
inline void PostText(const std::string& text) {
  for (char c : text) PostKey(kVK_ANSI_A, SInt16(UInt8(c)));
}

// RGB (0xRRGGBB) of the window's pixel at a local point.
inline uint32_t PortPixel(WindowRef w, Point local) {
  GrafPtr saved = nullptr;
  GetPort(&saved);
  SetPort(GetWindowPort(w));
  RGBColor c;
  GetCPixel(local.h, local.v, &c);
  SetPort(saved);
  return PixelFromRGB(c) & 0xFFFFFF;
}

inline int CountPortColor(WindowRef w, const Rect& r, uint32_t rgb) {
  int n = 0;
  for (short v = r.top; v < r.bottom; ++v)
    for (short h = r.left; h < r.right; ++h)
      if (PortPixel(w, Point{v, h}) == rgb) ++n;
  return n;
}

// Dark pixels (text, marks) inside a rectangle of the window.
inline int CountDark(WindowRef w, const Rect& r) {
  int n = 0;
  for (short v = r.top; v < r.bottom; ++v)
    for (short h = r.left; h < r.right; ++h) {
      uint32_t p = PortPixel(w, Point{v, h});
      if (((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 0x60) ++n;
    }
  return n;
}

constexpr uint32_t kAccentPixel = 0x2F6FD8;

// Pixels (0xRRGGBB) of an 8-bit RGB PNG, row by row, with its size.
inline bool ReadPNG(const std::string& path, int* w, int* h, std::vector<uint32_t>* pixels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> buffer(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr)) return false;
  *w = int(image.width);
  *h = int(image.height);
  pixels->clear();
  for (size_t i = 0; i + 2 < buffer.size(); i += 3)
    pixels->push_back(uint32_t(buffer[i]) << 16 | uint32_t(buffer[i + 1]) << 8 | buffer[i + 2]);
  return true;
}

// A resource file written from resource-compiler text, open (and current) while it lives.
class ScopedResources {
 public:
  explicit ScopedResources(const std::string& source) {
    ResourceForkImage image;
    RezDiagnostic error;
    ok_ = CompileResourceSource(source, "test.r", folder_.path(), &image, &error);
    EXPECT_TRUE(ok_) << FormatRezDiagnostic(error);
    if (!ok_) return;
    std::string path = folder_.File("test.rsrc");
    EXPECT_EQ(WriteDataForkResourceFile(path, image), noErr);
    EXPECT_EQ(OpenResourceFileAtPath(path, 1, true, &ref_), noErr);
  }
  ~ScopedResources() {
    if (ref_ > 0) CloseResFile(ref_);
  }
  ScopedResources(const ScopedResources&) = delete;
  ScopedResources& operator=(const ScopedResources&) = delete;
  SInt16 ref() const { return ref_; }
  const zarin_test::TempFolder& folder() const { return folder_; }

 private:
  zarin_test::TempFolder folder_;
  bool ok_ = false;
  SInt16 ref_ = -1;
};

// Posts one mouse event (kind, local point of the window) each time its timer fires, so that a
// loop following the mouse sees the moves one by one as a hand makes them (moves waiting in the
// queue together would be merged into one).
class MouseScript {
 public:
  struct Step {
    UInt32 kind;
    Point local;
  };
  MouseScript(WindowRef window, std::vector<Step> steps, EventTimerInterval interval = 0.03)
      : window_(window), steps_(std::move(steps)) {
    InstallEventLoopTimer(GetMainEventLoop(), interval, interval, Fire, this, &timer_);
  }
  ~MouseScript() { RemoveEventLoopTimer(timer_); }
  MouseScript(const MouseScript&) = delete;
  MouseScript& operator=(const MouseScript&) = delete;
  bool done() const { return next_ == steps_.size(); }

 private:
  static void Fire(EventLoopTimerRef, void* data) {
    MouseScript* self = static_cast<MouseScript*>(data);
    if (self->done()) return;
    const Step& step = self->steps_[self->next_++];
    PostHostMouseEvent(step.kind, Global(self->window_, step.local), 1, 0);
  }
  WindowRef window_;
  std::vector<Step> steps_;
  size_t next_ = 0;
  EventLoopTimerRef timer_ = nullptr;
};

// Ends a loop that waits for input that never comes: after the time, the front window is
// disposed (a modal dialog's loop ends with item 0) and the test fails.
class ModalGuard {
 public:
  explicit ModalGuard(EventTimerInterval seconds = 20.0) {
    InstallEventLoopTimer(GetMainEventLoop(), seconds, 0, Fire, nullptr, &timer_);
  }
  ~ModalGuard() { RemoveEventLoopTimer(timer_); }
  ModalGuard(const ModalGuard&) = delete;
  ModalGuard& operator=(const ModalGuard&) = delete;

 private:
  static void Fire(EventLoopTimerRef, void*) {
    ADD_FAILURE() << "a modal loop did not end";
    if (WindowRef w = FrontNonFloatingWindow()) {
      if (GetAppModalLoopWindow()) QuitAppModalLoopForWindow(GetAppModalLoopWindow());
      else DisposeWindow(w);
    }
  }
  EventLoopTimerRef timer_ = nullptr;
};

}  // namespace ui_test
