// Opens the screen in a real host window on the X display it is given (a virtual one under
// xvfb-run), draws a menu bar and windows through the event loop, and checks a screenshot of
// the X display: it is not empty and shows the menu bar. Also feeds host events through the
// pump: a mouse press reaches the event queue, and closing the window asks for quit.
// Exit status 0 when every check holds; the screenshot is written to the folder given.
#include <SDL2/SDL.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/events/apple_events.h"
#include "platform/events/carbon_events.h"
#include "platform/events/classic_events.h"
#include "platform/menus/menus.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/windows/appearance.h"
#include "platform/windows/host_window.h"
#include "platform/windows/windows.h"
#include "tests/platform/windows/x11_screenshot.h"

namespace {

int gFailures = 0;

void Check(bool ok, const char* what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
  if (!ok) ++gFailures;
}

struct Screenshot {
  int width = 0, height = 0;
  std::vector<UInt32> pixels;  // 0xRRGGBB
  UInt32 at(int h, int v) const { return pixels[size_t(v) * width + h]; }
};

bool GrabRoot(Screenshot* shot) { return GrabX11Root(&shot->width, &shot->height, &shot->pixels); }

bool WritePNG(const Screenshot& shot, const std::string& path) {
  std::vector<png_byte> rgb(shot.pixels.size() * 3);
  for (size_t i = 0; i < shot.pixels.size(); ++i) {
    rgb[3 * i] = png_byte(shot.pixels[i] >> 16);
    rgb[3 * i + 1] = png_byte(shot.pixels[i] >> 8);
    rgb[3 * i + 2] = png_byte(shot.pixels[i]);
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(shot.width);
  image.height = png_uint_32(shot.height);
  image.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr);
}

OSStatus DrawContent(EventHandlerCallRef, EventRef, void* data) {
  auto window = static_cast<WindowRef>(data);
  SetPortWindowPort(window);
  RGBColor blue{0x2020, 0x5050, 0xC0C0};
  RGBForeColor(&blue);
  Rect r{20, 20, 80, 180};
  PaintRect(&r);
  return noErr;
}

bool QueuedEventOfClass(UInt32 eventClass, UInt32 kind) {
  EventTypeSpec typeSpec{eventClass, kind};
  EventRef event = nullptr;
  if (ReceiveNextEvent(1, &typeSpec, 0.5, true, &event) != noErr) return false;
  ReleaseEvent(event);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = argc > 1 ? argv[1] : ".";
  InitWindows();
  if (!ScreenHasHostWindow()) {
    std::printf("FAILED: no host window on DISPLAY=%s\n", std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
    return 1;
  }
  MenuRef file = NewMenu(428, reinterpret_cast<ConstStr255Param>("\x04" "File"));
  AppendMenu(file, reinterpret_cast<ConstStr255Param>("\x0B" "New/N;Quit"));
  MenuRef edit = NewMenu(429, reinterpret_cast<ConstStr255Param>("\x04" "Edit"));
  InsertMenu(file, 0);
  InsertMenu(edit, 0);
  DrawMenuBar();

  Rect bounds{120, 80, 420, 560};
  WindowRef doc = nullptr;
  CreateNewWindow(kDocumentWindowClass, kWindowStandardDocumentAttributes | kWindowStandardHandlerAttribute, &bounds,
                  &doc);
  SetWTitle(doc, reinterpret_cast<ConstStr255Param>("\x06" "Song 1"));
  EventTypeSpec draw{kEventClassWindow, kEventWindowDrawContent};
  InstallEventHandler(GetWindowEventTarget(doc), DrawContent, 1, &draw, doc, nullptr);
  ShowWindow(doc);
  RunCurrentEventLoop(0.5);  // updates are drawn, the pump shows them
  PresentScreen();
  SDL_Delay(200);
  PumpHostWindow(0.05);

  Screenshot shot;
  Check(GrabRoot(&shot), "a screenshot of the X display");
  int x = 0, y = 0;
  SDL_GetWindowPosition(static_cast<SDL_Window*>(GetScreenHostWindow()), &x, &y);
  if (!shot.pixels.empty()) {
    WritePNG(shot, folder + "/xvfb_screen.png");
    size_t distinct = 0;
    UInt32 first = shot.pixels[0];
    for (UInt32 p : shot.pixels) distinct += p != first;
    Check(distinct > 10000, "the screenshot is not empty");
    Rect screen = (*GetMainDevice())->gdRect;
    int barPixels = 0, barSamples = 0;
    for (int h = screen.right - 200; h < screen.right - 10; h += 10, ++barSamples)
      barPixels += x + h < shot.width && y + 5 < shot.height && shot.at(x + h, y + 5) == kMenuBarPixel;
    Check(barSamples > 0 && barPixels == barSamples, "the menu bar shows along the top of the window");
    Rect title{};
    GetMenuTitleRect(428, &title);
    int dark = 0;
    for (int v = 0; v < GetMBarHeight() - 1; ++v)
      for (int h = title.left; h < title.right; ++h) dark += (shot.at(x + h, y + v) & 0xFF) < 0x60;
    Check(dark > 15, "the menu title is written in the bar");
    Check(shot.at(x + 150, y + 160) == 0x2050C0, "the window's content was drawn through its update");
    Check(shot.at(x + screen.right - 5, y + screen.bottom - 5) == kDesktopPixel, "the desktop fills the rest");
  }

  // Host input goes through the pump into the event queue.
  FlushEventQueue(GetMainEventQueue());
  SDL_Event press{};
  press.type = SDL_MOUSEBUTTONDOWN;
  press.button.button = SDL_BUTTON_LEFT;
  press.button.state = SDL_PRESSED;
  press.button.x = 300;
  press.button.y = 200;
  press.button.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(GetScreenHostWindow()));
  SDL_PushEvent(&press);
  PumpHostWindow(0);
  EventRecord record;
  Check(EventAvail(mDownMask, &record) && record.where == (Point{200, 300}), "a host mouse press is queued");
  FlushEventQueue(GetMainEventQueue());
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  PumpHostWindow(0);
  Check(QueuedEventOfClass(kEventClassAppleEvent, kEventAppleEvent), "closing the host window asks to quit");

  DisposeWindow(doc);
  ShutdownScreen();
  std::printf("%d failure(s)\n", gFailures);
  return gFailures == 0 ? 0 : 1;
}
