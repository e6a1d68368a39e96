// Field, control and arrow helpers of nib dialogs on a created (not running) dialog.
#include <gtest/gtest.h>

#include <string>

#include <cstring>

#include "platform/quickdraw/cursors.h"
#include "platform/quickdraw/ports.h"
#include "sequencer/midi/realtime_processors.h"
#include "shell/base/app_strings.h"
#include "shell/base/event_records.h"
#include "shell/dialogs/dialog_alerts.h"
#include "shell/dialogs/nib_dialog_arrows.h"
#include "shell/dialogs/note_names.h"
#include "shell/drawing/screen_bounds.h"
#include "song/conductor/timebase.h"
#include "song/model/key_codes.h"
#include "tests/shell/nib_dialogs/nib_dialog_fixture.h"

namespace nib_test {
namespace {

using namespace ui_test;

class NibFieldsTest : public NibDialogTest {
 protected:
  void SetUp() override {
    NibDialogTest::SetUp();
    Create(&d);
    gDialogIdBase = 0;
    gDialogFocusItem = 0;
  }
  void TearDown() override {
    DisposeNibDialog(&d.base);
    gDialogIdBase = 0;
    NibDialogTest::TearDown();
  }
  std::string Text(int32_t id) {
    GetDialogText(d.base.window, id);
    return FromPString(gStringBuffer);
  }
  WindowRef w() { return d.base.window; }
  TestDialog d;
};

TEST_F(NibFieldsTest, RadioGroupsAndCheckBoxesFollowThePageBase) {
  SetDialogRadioGroup(w(), 8, 10, 9);
  EXPECT_EQ(GetDialogViewValue(w(), 8), 0);
  EXPECT_EQ(GetDialogViewValue(w(), 9), 1);
  EXPECT_EQ(GetDialogRadioChoice(w(), 8, 3), 1);
  SetDialogRadioGroup(w(), 8, 10, 8);
  EXPECT_EQ(GetDialogRadioChoice(w(), 8, 3), 0);
  SetDialogViewValue(w(), 8, 0);
  EXPECT_EQ(GetDialogRadioChoice(w(), 8, 3), 0);  // none set reads as the first

  gDialogItemHit = 10;
  EXPECT_EQ(SetDialogRadioGroupFromRange(w(), 8, 10), 1);
  EXPECT_EQ(GetDialogRadioChoice(w(), 8, 3), 2);
  gDialogItemHit = 7;
  EXPECT_EQ(SetDialogRadioGroupFromRange(w(), 8, 10), 0);
  EXPECT_EQ(GetDialogRadioChoice(w(), 8, 3), 2);

  // Page ids: with a base of 4, page 3 is control 7.
  gDialogIdBase = 4;
  SetDialogCheckBox(w(), 3, 5);
  EXPECT_EQ(GetDialogViewValue(w(), 7), 1);
  uint8_t byte = 0x01;
  GetDialogCheckBit(w(), &byte, 6, 3);
  EXPECT_EQ(byte, 0x41);
  SetDialogCheckBox(w(), 3, 0);
  GetDialogCheckBit(w(), &byte, 0, 3);
  EXPECT_EQ(byte, 0x40);
  const uint8_t ids[] = {3};
  EnableDialogViews(w(), ids, 1, false);
  ControlRef check = View(d, 7);
  EXPECT_FALSE(IsControlActive(check) && GetControlHilite(check) != kControlInactivePart);
  EnableDialogViews(w(), ids, 1, true);
  EXPECT_TRUE(IsControlActive(check) && GetControlHilite(check) != kControlInactivePart);

  EXPECT_EQ(SetDialogViewValue(w(), 99, 1), errUnknownControl);
  EXPECT_EQ(GetDialogViewValue(w(), 99), 0);
  ShowHideDialogViews(w(), 0, 7);
  EXPECT_FALSE(HIViewIsVisible(check));
  ShowHideDialogViews(w(), 7, 0);
  EXPECT_TRUE(HIViewIsVisible(check));
}

TEST_F(NibFieldsTest, NumbersAndTextsAreWrittenAndReadBack) {
  struct Case {
    double value;
    bool trim;
    const char* text;
  } doubles[] = {{1.5, true, "1.5"}, {2.0, true, "2"}, {0.125, true, "0.125"},
                 {-3.25, true, "-3.25"}, {2.0, false, "2.000000"}};
  for (const Case& c : doubles) {
    SetDialogDouble(&d.base, 3, c.trim, c.value);
    EXPECT_EQ(Text(3), c.text) << c.value;
  }
  EXPECT_DOUBLE_EQ(GetDialogDouble(w(), 3), 2.0);

  struct Tenths {
    int32_t value;
    const char* text;
  } tenths[] = {{1200, "120.0"}, {5, "0.5"}, {-15, "-1.5"}, {0, "0.0"}};
  for (const Tenths& c : tenths) {
    SetDialogTimeText(&d.base, c.value, 3);
    EXPECT_EQ(Text(3), c.text);
    EXPECT_EQ(GetDialogTextValue(w(), 3), c.value) << c.text;
  }

  SetDialogFieldNumber64(&d.base, 9876543210LL, 4);
  EXPECT_EQ(GetDialogNumber64(w(), 4), 9876543210LL);
  SetDialogNumber64(w(), -5, 4);
  EXPECT_EQ(GetDialogNumber64(w(), 4), -5);
  SetDialogText(w(), PStr("x12"), 4);
  EXPECT_EQ(GetDialogNumber64(w(), 4), 0);
  SetDialogNumber(w(), -321, 4);
  EXPECT_EQ(GetDialogNumber(w(), 4), -321);

  SetDialogNoteName(&d.base, 60, 3);
  EXPECT_EQ(Text(3), "C3");
  EXPECT_EQ(GetDialogNoteValue(w(), 3), 60);

  // A text longer than a length-prefixed string is cut to 255 characters.
  ControlRef field = View(d, 3);
  CFStringRef longText = CFStringCreateWithUTF8(std::string(300, 'a'));
  SetControlData(field, 0, kControlEditTextCFStringTag, sizeof longText, &longText);
  CFRelease(longText);
  EXPECT_EQ(CopyControlTextToBuffer(field), noErr);
  EXPECT_EQ(gStringBuffer[0], 255);

  // A field that does not exist reads as empty and as 0, and the error is shown.
  int32_t alerts = CountAlertsShown();
  EXPECT_EQ(GetDialogText(w(), 99), errUnknownControl);
  EXPECT_EQ(gStringBuffer[0], 0);
  EXPECT_EQ(GetDialogNumber(w(), 99), 0);
  EXPECT_GT(CountAlertsShown(), alerts);
  EXPECT_EQ(SetDialogText(w(), PStr("x"), 99), nullptr);
}

TEST_F(NibFieldsTest, ARangeChainReportsTheFirstBadFieldOnly) {
  SetDialogFieldNumber(&d.base, 50, 3);
  SetDialogFieldNumber(&d.base, 500, 4);
  gDialogInputValid = 1;
  int32_t a = -1, b = -1, c = -1;
  int32_t alerts = CountAlertsShown();
  EXPECT_EQ(GetDialogNumberInRange(w(), 0, 100, &a, 3), 1);
  EXPECT_EQ(GetDialogNumberInRange(w(), 0, 100, &b, 4), 0);
  EXPECT_EQ(GetDialogNumberInRange(w(), 0, 100, &c, 3), 0);
  EXPECT_EQ(a, 50);
  EXPECT_EQ(b, -1);
  EXPECT_EQ(c, -1);  // read nothing after the failure
  EXPECT_EQ(CountAlertsShown(), alerts + 1);
  EXPECT_EQ(gDialogFocusItem, 4u);
  ControlRef focus = nullptr;
  GetKeyboardFocus(w(), &focus);
  EXPECT_EQ(focus, View(d, 4));
  // Both ends are inside the range.
  gDialogInputValid = 1;
  SetDialogFieldNumber(&d.base, 100, 4);
  EXPECT_EQ(GetDialogNumberInRange(w(), 0, 100, &b, 4), 1);
  EXPECT_EQ(b, 100);
}

TEST_F(NibFieldsTest, ArrowsStepTheFocusFieldWithinTheirRange) {
  ControlRef arrows = View(d, 5);  // 0..10
  SetDialogControlAction(&d.base, arrows, StepDialogArrowField);
  EXPECT_EQ(GetControlReference(arrows), &d.base);
  EXPECT_EQ(d.base.actionControl, arrows);
  gDialogFocusItem = 3;
  struct Case {
    int32_t value;
    ControlPartCode part;
    int32_t result;
  } cases[] = {
      {9, kControlUpButtonPart, 10},   {10, kControlUpButtonPart, 10},
      {0, kControlDownButtonPart, 0},  {5, kControlDownButtonPart, 4},
      {5, kControlIndicatorPart, 5},   {40, kControlDownButtonPart, 10},
  };
  for (const Case& c : cases) {
    SetDialogFieldNumber(&d.base, c.value, 3);
    StepDialogArrowField(arrows, c.part);
    EXPECT_EQ(GetDialogNumber(w(), 3), c.result) << c.value << " " << c.part;
  }
  EXPECT_EQ(ArrowPartToDelta(int32_t(kArrowUpCommand)), 1);
  EXPECT_EQ(ArrowPartToDelta(int32_t(kArrowDownCommand)), -1);
}

TEST_F(NibFieldsTest, TheWheelStepsTheRunningDialogsArrows) {
  EXPECT_FALSE(ServeNibDialogWheel(1));  // no dialog running
  gCurrentNibDialog = &d.base;
  EXPECT_FALSE(ServeNibDialogWheel(1));  // a dialog without arrows
  SetDialogControlAction(&d.base, View(d, 5), StepDialogArrowField);
  gDialogFocusItem = 3;
  SetDialogFieldNumber(&d.base, 4, 3);
  EXPECT_TRUE(ServeNibDialogWheel(3));
  EXPECT_TRUE(ServeNibDialogWheel(0));
  EXPECT_EQ(GetDialogNumber(w(), 3), 6);
  EXPECT_TRUE(ServeNibDialogWheel(-2));
  EXPECT_EQ(GetDialogNumber(w(), 3), 5);
  gCurrentNibDialog = nullptr;
}

TEST_F(NibFieldsTest, SixtyFourBitArrowsStepPastThirtyTwoBitsOnlyWhenUnbounded) {
  ControlRef arrows = View(d, 5);
  struct Case {
    int64_t value;
    int32_t min, max;
    ControlPartCode part;
    int64_t result;
  } cases[] = {
      {2147483647LL, 0, 0x7FFFFFFF, kControlUpButtonPart, 2147483648LL},
      {5000000000LL, 0, 0x7FFFFFFF, kControlDownButtonPart, 4999999999LL},
      {100, 0, 100, kControlUpButtonPart, 100},
      {50, 0, 100, kControlUpButtonPart, 51},
      {1, 1, 100, kControlDownButtonPart, 1},
  };
  for (const Case& c : cases) {
    SetDialogNumber64(w(), c.value, 4);
    StepDialogArrowField64(arrows, c.part, c.min, c.max, 4);
    EXPECT_EQ(GetDialogNumber64(w(), 4), c.result) << c.value;
  }
}

TEST_F(NibFieldsTest, TheNoteLengthIndexStaysInTheTable) {
  ApplyTimebase();
  ControlRef arrows = View(d, 5);
  struct Case {
    uint32_t index;
    ControlPartCode part;
    uint32_t result;
  } cases[] = {
      {5, kControlUpButtonPart, 4},       // up: a shorter note at a lower index
      {0, kControlUpButtonPart, 0},
      {17, kControlDownButtonPart, 17},
      {16, kControlDownButtonPart, 17},
  };
  for (const Case& c : cases) {
    gStepNoteValueIndex = c.index;
    SetDialogNumber(w(), -1, 3);
    StepDialogIndexField(arrows, c.part, 3, 4);
    EXPECT_EQ(gStepNoteValueIndex, c.result) << c.index;
    EXPECT_EQ(gDialogFocusItem, 3u);
    if (c.result != c.index) EXPECT_EQ(GetDialogNumber(w(), 3), gNoteValueTicks[c.result]);
    else EXPECT_EQ(GetDialogNumber(w(), 3), -1);  // unchanged: not rewritten
  }
}

TEST_F(NibFieldsTest, NoteFieldsStepByNameWithinTheMidiRange) {
  struct Case {
    const char* text;
    int32_t part;
    int32_t result;
  } cases[] = {
      {"C3", kControlUpButtonPart, 61},
      {"60", kControlDownButtonPart, 59},
      {"G8", kControlUpButtonPart, 127},
      {"0", kControlDownButtonPart, 0},
  };
  for (const Case& c : cases) {
    SetDialogFieldText(&d.base, PStr(c.text), 3);
    StepDialogMidiValue(&d.base, 3, c.part, false);
    EXPECT_EQ(GetDialogNoteValue(w(), 3), c.result) << c.text;
  }
  SetDialogFieldText(&d.base, PStr("59"), 3);
  StepDialogMidiValue(&d.base, 3, kControlUpButtonPart, false);
  Str255 name;
  EXPECT_EQ(Text(3), FromPString(MakeNoteName(name, 60, kSpellByKey)));
}

Cursor ThemeCursorImage(ThemeCursor which) {
  SetThemeCursor(which);
  Cursor c;
  GetCurrentCursor(&c);
  return c;
}

bool IsCursor(const Cursor& c) {
  Cursor now;
  GetCurrentCursor(&now);
  return std::memcmp(&now, &c, sizeof c) == 0;
}

TEST_F(NibFieldsTest, TheCursorIsAnIBeamOverFieldsOnlyInTheFrontWindow) {
  Cursor ibeam = ThemeCursorImage(kThemeIBeamCursor);
  Cursor arrow = ThemeCursorImage(kThemeArrowCursor);
  ShowWindow(w());
  SelectWindow(w());
  struct Case {
    int32_t id;  // 0: an empty place of the window
    bool beam;
  } cases[] = {{3, true}, {4, true}, {1, false}, {7, false}, {0, false}};
  for (const Case& c : cases) {
    SetThemeCursor(c.beam ? kThemeArrowCursor : kThemeIBeamCursor);
    Point where = c.id ? Where(d, c.id) : Global(w(), Point{190, 10});
    UpdateDialogCursor(w(), where, 0, false);
    EXPECT_TRUE(IsCursor(c.beam ? ibeam : arrow)) << c.id;
  }
  // Behind another window nothing changes.
  WindowRef front = NewTestWindow(Rect{400, 400, 500, 500}, kMovableModalWindowClass);
  SelectWindow(front);
  ASSERT_EQ(FrontWindow(), front);
  SetThemeCursor(kThemeArrowCursor);
  UpdateDialogCursor(w(), Where(d, 3), 0, false);
  EXPECT_TRUE(IsCursor(arrow));
}

TEST_F(NibFieldsTest, ANotePlayedWhileIdleGoesIntoTheFocusField) {
  RealtimeProcessor* input = CreateDefaultInputProcessor();
  ASSERT_NE(input, nullptr);
  SetDialogFieldNumber(&d.base, 0, 3);
  RingMessage off{0, 0x80, 61, 0};
  RingMessage on{0, 0x90, 64, 100};
  QueueProcessorInput(input, off);
  QueueProcessorInput(input, on);
  gDialogFocusItem = 0;
  NibDialogNoteInputIdle(&d.base);  // no focus field: the note waits
  EXPECT_EQ(GetDialogNumber(w(), 3), 0);
  gDialogFocusItem = 3;
  NibDialogNoteInputIdle(&d.base);
  EXPECT_EQ(GetDialogNoteValue(w(), 3), 64);
  DisposeDefaultInputProcessor();
}

ControlKeyFilterResult RefuseLetters(ControlRef, SInt16*, SInt16* charCode, EventModifiers*) {
  return (*charCode >= 'a' && *charCode <= 'z') ? kControlKeyFilterBlockKey
                                                : kControlKeyFilterPassKey;
}

TEST_F(NibFieldsTest, HookedFieldsGetTheDialogsKeyFilter) {
  d.base.keyFilterUPP = NewControlKeyFilterUPP(RefuseLetters);
  SetDialogFieldText(&d.base, PStr(""), 4);
  EXPECT_EQ(GetControlReference(View(d, 4)), &d.base);
  ShowWindow(w());
  SelectWindow(w());
  SelectDialogField(w(), 4);
  PostText("1a2b");
  ModalGuard guard;
  // Typed into the field through the window's own key handling, then the loop ends.
  EventLoopTimerRef timer = nullptr;
  InstallEventLoopTimer(GetMainEventLoop(), 0.05, 0.05,
                        [](EventLoopTimerRef, void* window) {
                          if (GetNumEventsInQueue(GetMainEventQueue()) == 0)
                            QuitAppModalLoopForWindow(static_cast<WindowRef>(window));
                        },
                        w(), &timer);
  RunAppModalLoopForWindow(w());
  RemoveEventLoopTimer(timer);
  EXPECT_EQ(Text(4), "12");
}

TEST_F(NibFieldsTest, APitchFieldIsSpelledAsItsKey) {
  // What the name typed says about sharps and flats counts, and only that name's.
  struct Case {
    const char* text;
    int32_t pitch;
    uint8_t typed;
  } cases[] = {{"F#", 6, kTypedSharp}, {"D", 2, 0}, {"Bb", 10, kTypedFlat}, {"Gb", 6, kTypedFlat}};
  for (const Case& c : cases) {
    gTypedAccidental = c.typed;
    uint8_t expected = SpellPitchClass(c.pitch);
    gTypedAccidental = kTypedFlat | kTypedSharp;  // left over from another field
    SetDialogText(w(), PStr(c.text), 3);
    EXPECT_EQ(GetDialogPitchSpelling(w(), 3), expected) << c.text;
  }
}

TEST_F(NibFieldsTest, AWindowMovedNearTheMouseStaysOnTheDesktop) {
  UpdateScreenBounds();
  SetPortWindowPort(w());
  Rect port;
  GetWindowPortBounds(w(), &port);
  int16_t width = int16_t(port.right - port.left);
  struct Case {
    Point mouse;  // global
    int16_t left, top;
  } cases[] = {
      {{200, 300}, int16_t(300 + 5 - width / 2), 210},
      {{200, 0}, 0, 210},
      {{200, 32000}, int16_t(gDesktopBounds.right - width), 210},
  };
  for (const Case& c : cases) {
    SetPortWindowPort(w());
    gLastMousePoint = c.mouse;
    GlobalToLocal(&gLastMousePoint);
    MoveWindowNearMouse(w());
    Rect content;
    GetWindowBounds(w(), kWindowContentRgn, &content);
    EXPECT_EQ(content.left, c.left) << c.mouse.h;
    EXPECT_EQ(content.top, c.top) << c.mouse.h;
  }
}

}  // namespace
}  // namespace nib_test
