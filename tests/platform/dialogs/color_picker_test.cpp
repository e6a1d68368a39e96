// The colour picker on posted input: typed components and hue/saturation/value confirmed,
// every way of cancelling leaving the caller's colour alone, the dialog's place and what it
// shows, and answers scripted through ZARIN_COLOR_REPLY.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "platform/dialogs/color_picker.h"
#include "platform/system/sys_beep.h"
#include "tests/platform/dialogs/dialog_test_support.h"

namespace {

using namespace ui_test;

std::function<void(DialogRef)> gOnShown;
int gShownCount = 0;

void OnShown(DialogRef dialog, void*) {
  ++gShownCount;
  if (gOnShown) gOnShown(dialog);
}

constexpr RGBColor kStart{0x1234, 0x5678, 0x9ABC};
constexpr RGBColor kUntouched{1, 2, 3};

RGBColor Rgb8(int r, int g, int b) { return RGBColor{UInt16(r * 257), UInt16(g * 257), UInt16(b * 257)}; }

std::string Show(const RGBColor& c) {
  return std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue);
}

Rect ItemBox(DialogRef dialog, DialogItemIndex item) {
  Rect box;
  GetDialogItem(dialog, item, nullptr, nullptr, &box);
  return box;
}

void ClickItem(DialogRef dialog, DialogItemIndex item) {
  PostClick(Global(GetDialogWindow(dialog), Center(ItemBox(dialog, item))));
}

// Posts a script: digits and letters typed, '\t' Tab, '\r' Return, 'E' Escape, '.' Command-
// period, 'O' a click on the original colour, 'C' a click on Cancel.
void PostScript(DialogRef dialog, const std::string& script) {
  for (char c : script) {
    switch (c) {
      case '\t': PostKey(kVK_Tab, kTabCharCode); break;
      case '\r': PostKey(kVK_Return, kReturnCharCode); break;
      case 'E': PostKey(kVK_Escape, kEscapeCharCode); break;
      case '.': PostKey(kVK_ANSI_Period, '.', cmdKey); break;
      case 'O': ClickItem(dialog, kColorPickerOriginalItem); break;
      case 'C': ClickItem(dialog, kColorPickerCancelItem); break;
      default: PostText(std::string(1, c));
    }
  }
}

class ColorPicker : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    unsetenv("ZARIN_COLOR_REPLY");
    SetColorPickerShownProc(OnShown, nullptr);
    gShownCount = 0;
  }
  void TearDown() override {
    SetColorPickerShownProc(nullptr, nullptr);
    gOnShown = nullptr;
    UiTest::TearDown();
  }
  // Runs the picker from `from` with the script; whether it was confirmed, and *out.
  bool Pick(const RGBColor& from, const std::string& script, RGBColor* out, Point where = Point{}) {
    gOnShown = [script](DialogRef dialog) { PostScript(dialog, script); };
    ModalGuard guard;
    bool confirmed = GetColor(where, PStr("Track colour"), &from, out);
    EXPECT_EQ(FrontNonFloatingWindow(), nullptr);  // the dialog is gone
    ResetInput();
    return confirmed;
  }
};

TEST_F(ColorPicker, TypedValuesAreConfirmed) {
  struct Case {
    RGBColor from;
    std::string script;
    RGBColor expect;
  } cases[] = {
      {kStart, "\r", kStart},                            // no edit: every bit kept
      {kStart, "200\t100\t7\r", Rgb8(200, 100, 7)},       // red, green, blue typed in turn
      {kStart, "2x0-0\r", RGBColor{UInt16(200 * 257), kStart.green, kStart.blue}},  // non-digits refused
      {kStart, "300\r", RGBColor{0xFFFF, kStart.green, kStart.blue}},  // held at 255
      {Rgb8(255, 0, 0), "\t\t\t120\r", Rgb8(0, 255, 0)},  // hue 120 of pure red
      {Rgb8(255, 255, 255), "\t\t\t\t\t50\r", RGBColor{32768, 32768, 32768}},  // value 50 %
      {Rgb8(0, 0, 255), "\t\t\t\t0\r", Rgb8(255, 255, 255)},  // saturation 0: grey of full value
      {kStart, "9\t9\tO\r", kStart},                      // the original taken back exactly
  };
  for (const Case& c : cases) {
    RGBColor out = kUntouched;
    EXPECT_TRUE(Pick(c.from, c.script, &out)) << c.script;
    EXPECT_EQ(Show(out), Show(c.expect)) << c.script;
  }
  ResetSysBeepCountForTesting();
  RGBColor out = kUntouched;
  Pick(kStart, "a1\r", &out);
  EXPECT_EQ(GetSysBeepCount(), 1u);
}

TEST_F(ColorPicker, CancelLeavesTheColourUnchanged) {
  for (const char* script : {"10\t20E", "10.", "10C"}) {
    RGBColor out = kUntouched;
    EXPECT_FALSE(Pick(kStart, script, &out)) << script;
    EXPECT_EQ(Show(out), Show(kUntouched)) << script;
  }
  EXPECT_EQ(gShownCount, 3);
  RGBColor same = kStart;  // in and out the same record
  EXPECT_TRUE(Pick(same, "0\r", &same));
  EXPECT_EQ(Show(same), Show(RGBColor{0, kStart.green, kStart.blue}));
  EXPECT_FALSE(GetColor(Point{}, PStr(""), nullptr, &same));
}

TEST_F(ColorPicker, ShowsThePromptAndBothColoursWhereAsked) {
  Rect screen;
  GetPortBounds(GetScreenPort(), &screen);
  for (Point where : {Point{}, Point{60, 30}}) {
    gOnShown = [where, screen](DialogRef dialog) {
      WindowRef w = GetDialogWindow(dialog);
      Rect content;
      GetWindowBounds(w, kWindowContentRgn, &content);
      if (where.h == 0 && where.v == 0) {
        EXPECT_NEAR((content.left + content.right) / 2, (screen.left + screen.right) / 2, 1);
        EXPECT_NEAR((content.top + content.bottom) / 2, (screen.top + screen.bottom) / 2, 1);
      } else {
        EXPECT_EQ(content.top, where.v);
        EXPECT_EQ(content.left, where.h);
      }
      Str255 text;
      DialogItemHandle prompt = nullptr;
      GetDialogItem(dialog, kColorPickerPromptItem, nullptr, &prompt, nullptr);
      GetDialogItemText(prompt, text);
      EXPECT_EQ(FromPString(text), "Pick one");
      uint32_t start = PixelFromRGB(kStart) & 0xFFFFFF;
      EXPECT_EQ(PortPixel(w, Center(ItemBox(dialog, kColorPickerOriginalItem))), start);
      EXPECT_EQ(PortPixel(w, Center(ItemBox(dialog, kColorPickerNewItem))), start);
      PostKey(kVK_Escape, kEscapeCharCode);
    };
    ModalGuard guard;
    RGBColor out;
    EXPECT_FALSE(GetColor(where, PStr("Pick one"), &kStart, &out));
  }
  EXPECT_EQ(gShownCount, 2);
}

TEST_F(ColorPicker, ScriptedAnswersAreTakenInOrderThenTheDialogShows) {
  zarin_test::ScopedEnv env("ZARIN_COLOR_REPLY", "ff8000;-;12345g;");
  RGBColor out = kUntouched;
  EXPECT_TRUE(GetColor(Point{}, PStr(""), &kStart, &out));
  EXPECT_EQ(Show(out), Show(Rgb8(255, 128, 0)));
  out = kUntouched;
  EXPECT_FALSE(GetColor(Point{}, PStr(""), &kStart, &out));  // "-" cancels
  EXPECT_FALSE(GetColor(Point{}, PStr(""), &kStart, &out));  // not a colour: cancelled too
  EXPECT_EQ(Show(out), Show(kUntouched));
  EXPECT_EQ(gShownCount, 0);
  EXPECT_TRUE(Pick(kStart, "\r", &out));
  EXPECT_EQ(gShownCount, 1);
}

}  // namespace
