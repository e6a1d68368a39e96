// Shared pieces of the Window and Menu Manager tests: a headless screen, a fixture that
// starts each test with no windows and an empty queue, event posting and dispatching, and
// pixel readers for the screen and PNG files.
#pragma once

#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/events/carbon_events.h"
#include "platform/events/classic_events.h"
#include "platform/events/host_input.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/windows/appearance.h"
#include "platform/windows/windows.h"

namespace windows_test {

// Every test program of these folders draws headless on a 1024 x 768 screen.
inline const bool kHeadlessScreen = [] {
  setenv("ZARIN_HEADLESS", "1", 1);
  setenv("ZARIN_SCREEN", "1024x768", 1);
  return true;
}();

// A Pascal string from C text, for calls that take one.
struct PStr {
  Str255 s;
  explicit PStr(const char* text) {
    size_t n = std::strlen(text);
    s[0] = UInt8(n > 255 ? 255 : n);
    std::memcpy(s + 1, text, s[0]);
  }
  operator ConstStr255Param() const { return s; }
};

inline Rect RgnBoundsForTest(RgnHandle rgn) {
  Rect r{};
  GetRegionBounds(rgn, &r);
  return r;
}

inline void DisposeAllWindows() {
  while (WindowRef w = GetWindowList()) DisposeWindow(w);
}

inline void ResetEvents() {
  FlushEventQueue(GetMainEventQueue());
  ResetHostInputState();
  SetManualEventClock(false, 0);
  SetUserFocusEventTarget(nullptr);
  SetHostEventPump(nullptr);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DisposeAllWindows();
    ResetEvents();
    InitWindows();
  }
  void TearDown() override {
    DisposeAllWindows();
    ResetEvents();
  }
};

// Sends every queued event through the dispatcher, as the application's loop would.
inline int DispatchQueuedEvents() {
  int n = 0;
  EventRef event = nullptr;
  while (ReceiveNextEvent(0, nullptr, kEventDurationNoWait, true, &event) == noErr) {
    SendEventToEventTarget(event, GetEventDispatcherTarget());
    ReleaseEvent(event);
    ++n;
  }
  return n;
}

inline void PostMouse(UInt32 kind, SInt16 h, SInt16 v, UInt32 modifiers = 0, UInt16 button = 1) {
  ASSERT_EQ(PostHostMouseEvent(kind, Point{v, h}, kind == kEventMouseMoved ? 0 : button, modifiers), noErr);
}

// An event of no interest to anyone: queued between two moves it keeps them apart (the
// queue merges moves that follow each other, as a real mouse's come over time).
inline void PostSpacer() {
  EventRef spacer = nullptr;
  CreateEvent(nullptr, FourCC("test"), 1, 0, kEventAttributeNone, &spacer);
  PostEventToQueue(GetMainEventQueue(), spacer, kEventPriorityStandard);
  ReleaseEvent(spacer);
}

// A press at the first point (v, h), moves through the others, and a release at the last.
inline void PostClickPath(std::vector<Point> path, UInt32 modifiers = 0) {
  PostMouse(kEventMouseDown, path.front().h, path.front().v, modifiers);
  for (size_t i = 1; i < path.size(); ++i) {
    PostMouse(kEventMouseMoved, path[i].h, path[i].v, modifiers);
    PostSpacer();
  }
  PostMouse(kEventMouseUp, path.back().h, path.back().v, modifiers);
}

// RGB (0xRRGGBB) of a screen pixel at a global point.
inline UInt32 ScreenPixel(SInt16 h, SInt16 v) {
  PixMapHandle pm = GetPortPixMap(GetScreenPort());
  const PixMap& map = **pm;
  const auto* row = reinterpret_cast<const UInt32*>(map.baseAddr + size_t(v - map.bounds.top) * map.rowBytesFull);
  return row[h - map.bounds.left] & 0xFFFFFF;
}

struct Image {
  int width = 0, height = 0;
  std::vector<UInt32> pixels;  // 0xRRGGBB
  UInt32 at(int h, int v) const { return pixels[size_t(v) * width + h]; }
};

inline bool ReadPNG(const std::string& path, Image* image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
  png.format = PNG_FORMAT_RGB;
  std::vector<png_byte> buffer(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, buffer.data(), 0, nullptr)) return false;
  image->width = int(png.width);
  image->height = int(png.height);
  image->pixels.resize(size_t(image->width) * image->height);
  for (size_t i = 0; i < image->pixels.size(); ++i)
    image->pixels[i] = (UInt32(buffer[3 * i]) << 16) | (UInt32(buffer[3 * i + 1]) << 8) | buffer[3 * i + 2];
  return true;
}

// A handler that records the events it gets (class, kind) and answers as told.
struct EventLog {
  std::vector<std::pair<UInt32, UInt32>> seen;
  OSStatus answer = eventNotHandledErr;
  static OSStatus Handler(EventHandlerCallRef, EventRef event, void* data) {
    auto* log = static_cast<EventLog*>(data);
    log->seen.emplace_back(GetEventClass(event), GetEventKind(event));
    return log->answer;
  }
  bool Saw(UInt32 eventClass, UInt32 kind) const {
    for (auto& e : seen)
      if (e.first == eventClass && e.second == kind) return true;
    return false;
  }
};

class ScopedHandler {
 public:
  ScopedHandler(EventTargetRef target, EventHandlerUPP proc, std::vector<EventTypeSpec> types, void* data) {
    EXPECT_EQ(InstallEventHandler(target, proc, ItemCount(types.size()), types.data(), data, &ref_), noErr);
  }
  ~ScopedHandler() { RemoveEventHandler(ref_); }
  ScopedHandler(const ScopedHandler&) = delete;
  ScopedHandler& operator=(const ScopedHandler&) = delete;

 private:
  EventHandlerRef ref_ = nullptr;
};

inline WindowRef NewDocument(Rect bounds, WindowAttributes extra = 0) {
  WindowRef w = nullptr;
  EXPECT_EQ(CreateNewWindow(kDocumentWindowClass, kWindowStandardDocumentAttributes |
                                                      kWindowStandardHandlerAttribute | extra,
                            &bounds, &w),
            noErr);
  return w;
}

inline WindowRef NewFloating(Rect bounds) {
  WindowRef w = nullptr;
  EXPECT_EQ(CreateNewWindow(kFloatingWindowClass, kWindowStandardFloatingAttributes | kWindowStandardHandlerAttribute,
                            &bounds, &w),
            noErr);
  return w;
}

}  // namespace windows_test
