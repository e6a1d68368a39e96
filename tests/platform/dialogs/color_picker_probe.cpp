// The colour picker on a real host window under a virtual X display: the dialog shows, takes
// typed components, and a screenshot of the X display shows the original and the new colour
// side by side before Return confirms the new one. Exit status 0 when every check holds; the
// screenshot is written to the folder given.
#include <SDL2/SDL.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/dialogs/color_picker.h"
#include "platform/events/host_input.h"
#include "platform/events/key_codes.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/windows/host_window.h"
#include "platform/windows/windows.h"
#include "tests/platform/windows/x11_screenshot.h"

namespace {

int gFailures = 0;

void Check(bool ok, const char* what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
  if (!ok) ++gFailures;
}

void Key(UInt16 keyCode, SInt16 charCode) {
  PostHostKeyEvent(kEventRawKeyDown, keyCode, 0, charCode);
  PostHostKeyEvent(kEventRawKeyUp, keyCode, 0, charCode);
}

void Type(const char* text) {
  for (const char* c = text; *c; ++c) Key(kVK_ANSI_A, SInt16(*c));
}

constexpr RGBColor kStart{0xFFFF, 0xCCCC, 0x0000};

DialogRef gPicker = nullptr;
bool gLooked = false;

// The screen pixel (0xRRGGBB) at the centre of a picker item.
UInt32 ItemPixel(const std::vector<UInt32>& shot, int width, int x, int y, DialogItemIndex item) {
  Rect box;
  GetDialogItem(gPicker, item, nullptr, nullptr, &box);
  Point p{SInt16((box.top + box.bottom) / 2), SInt16((box.left + box.right) / 2)};
  QDLocalToGlobalPoint(GetDialogPort(gPicker), &p);
  return shot[size_t(y + p.v) * size_t(width) + size_t(x + p.h)];
}

// Once the typed keys are taken: the screenshot, then Return.
void Look(EventLoopTimerRef, void* folder) {
  if (gLooked || !gPicker || GetNumEventsInQueue(GetMainEventQueue()) != 0) return;
  gLooked = true;
  PresentScreen();
  SDL_Delay(200);
  PumpHostWindow(0.05);
  int width = 0, height = 0, x = 0, y = 0;
  std::vector<UInt32> shot;
  Check(GrabX11Root(&width, &height, &shot), "a screenshot of the X display");
  SDL_GetWindowPosition(static_cast<SDL_Window*>(GetScreenHostWindow()), &x, &y);
  if (!shot.empty()) {
    Check(ItemPixel(shot, width, x, y, kColorPickerOriginalItem) == 0xFFCC00, "the original colour shows");
    Check(ItemPixel(shot, width, x, y, kColorPickerNewItem) == 0x0A141E, "the typed colour shows beside it");
    std::string path = *static_cast<std::string*>(folder) + "/color_picker.ppm";
    std::vector<unsigned char> rgb;
    for (UInt32 p : shot) rgb.insert(rgb.end(), {UInt8(p >> 16), UInt8(p >> 8), UInt8(p)});
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
      std::fprintf(f, "P6 %d %d 255\n", width, height);
      std::fwrite(rgb.data(), 1, rgb.size(), f);
      std::fclose(f);
    }
  }
  Key(kVK_Return, kReturnCharCode);
}

void Shown(DialogRef dialog, void*) {
  gPicker = dialog;
  Type("10");
  Key(kVK_Tab, kTabCharCode);
  Type("20");
  Key(kVK_Tab, kTabCharCode);
  Type("30");
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = argc > 1 ? argv[1] : ".";
  InitWindows();
  Check(ScreenHasHostWindow(), "a host window on the X display");
  if (gFailures) return 1;
  SetColorPickerShownProc(Shown, nullptr);
  EventLoopTimerRef look = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0.05, 0.05, Look, &folder, &look);
  RGBColor chosen = kStart;
  Boolean confirmed = GetColor(Point{}, reinterpret_cast<ConstStr255Param>("\x0B" "Zone colour"), &kStart, &chosen);
  RemoveEventLoopTimer(look);
  Check(gLooked, "the screen was looked at while the picker was up");
  Check(confirmed && chosen.red == 10 * 257 && chosen.green == 20 * 257 && chosen.blue == 30 * 257,
        "Return confirms the typed colour");
  ShutdownScreen();
  std::printf("%d failure(s)\n", gFailures);
  return gFailures == 0 ? 0 : 1;
}
