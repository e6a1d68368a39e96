// The Preferences dialog from the program's own resources, driven by posted input: edits on
// several pages are all put back by Cancel, kept by OK, colours picked from the swatches of
// the first page likewise, and the number fields of the memory page (the undo levels among
// them) stay inside one range for the arrows and for OK.
#include <gtest/gtest.h>

#include <string>

#include "platform/dialogs/color_picker.h"
#include "sequencer/clock/clock_timer.h"
#include "sequencer/midi/coremidi_driver.h"
#include "shell/base/app_state.h"
#include "shell/dialogs/dialog_controls.h"
#include "shell/dialogs/dialog_toolkit.h"
#include "shell/settings/preferences_dialog.h"
#include "song/prefs/preferences_writer.h"
#include "song/prefs/startup_settings.h"
#include "song/undo/undo_ring.h"
#include "tests/shell/dialogs/dialog_test_support.h"

namespace {

using namespace ui_test;
using classic_dialog_test::ClickItem;
using classic_dialog_test::ItemRect;
using classic_dialog_test::PostEscape;
using classic_dialog_test::PostReturn;
using classic_dialog_test::TypeInto;
using classic_dialog_test::WhenDialogUp;

constexpr int16_t kBase = 4;  // the common items of DLOG 600

class PreferencesDialogTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ResetDialogState();
    resources = std::make_unique<ScopedResources>(
        zarin_test::ReadWholeFile(ZARIN_PREFERENCES_DIALOG_SOURCE));
    savedMidiPrefs = gMidiPrefs;
    gPreferenceValues = PreferenceValues{};
    AllocateUndoRing(kDefaultUndoLevels);
  }
  void TearDown() override {
    gMidiPrefs = savedMidiPrefs;
    gPreferenceValues = PreferenceValues{};
    AllocateUndoRing(kDefaultUndoLevels);
    resources.reset();
    UiTest::TearDown();
  }
  int16_t Run(std::vector<WhenDialogUp::Step> steps, int16_t firstPage) {
    gPreferencesLastPage = firstPage;
    WhenDialogUp script(std::move(steps));
    ModalGuard guard;
    int16_t hit = RunPreferencesDialog();
    EXPECT_TRUE(script.ran());
    return hit;
  }
  std::unique_ptr<ScopedResources> resources;
  uint16_t savedMidiPrefs = 0;
};

// Chooses a page: the pop-up opens with its current item under the mouse, so a click on it
// keeps the value set here and reports the pop-up.
WhenDialogUp::Step GoToPage(int16_t page) {
  return [page](DialogRef dialog) {
    ControlRef popUp = nullptr;
    GetDialogItemAsControl(dialog, kPrefsPagePopUpItem, &popUp);
    SetControlValue(popUp, int16_t(page + 1));
    ClickItem(dialog, kPrefsPagePopUpItem);
  };
}

WhenDialogUp::Step Click(int16_t pageItem) {
  return [pageItem](DialogRef dialog) { ClickItem(dialog, DialogItemIndex(kBase + pageItem)); };
}

WhenDialogUp::Step Type(int16_t pageItem, const char* text) {
  return [pageItem, text](DialogRef dialog) { TypeInto(dialog, DialogItemIndex(kBase + pageItem), text); };
}

WhenDialogUp::Step Press(int16_t item) {
  return [item](DialogRef dialog) { ClickItem(dialog, DialogItemIndex(item)); };
}

// The upper (up) or lower (down) end of an arrow button.
WhenDialogUp::Step Arrow(int16_t pageItem, bool up) {
  return [pageItem, up](DialogRef dialog) {
    Rect r = ItemRect(dialog, DialogItemIndex(kBase + pageItem));
    Point p{int16_t(up ? r.top + 3 : r.bottom - 3), int16_t((r.left + r.right) / 2)};
    PostClick(Global(GetDialogWindow(dialog), p));
  };
}

TEST_F(PreferencesDialogTest, CancelPutsBackTheEditsOfEveryPage) {
  gMidiPrefs = 0x0008;
  PreferenceValues before = gPreferenceValues;
  EXPECT_EQ(Run({Click(19), Click(18), Click(7),          // display page: bits and middle C
                 GoToPage(2), Type(20, "5"), Type(5, "100"),  // memory page
                 GoToPage(4), Click(2),                      // drawing page
                 GoToPage(1), Click(5),                      // time stamps off
                 Press(kPrefsCancelItem)},
                0),
            kPrefsCancelItem);
  EXPECT_EQ(gMidiPrefs, 0x0008);
  EXPECT_EQ(gPreferenceValues.drawPrefs, before.drawPrefs);
  EXPECT_EQ(gPreferenceValues.inputBufferBytes, before.inputBufferBytes);
  EXPECT_EQ(gUndoLevels, kDefaultUndoLevels);
  EXPECT_EQ(gPreferencesLastPage, 1);  // the page shown last is kept for the next open
}

TEST_F(PreferencesDialogTest, OkKeepsTheEditsOfPagesLeftBefore) {
  gMidiPrefs = 0;
  EXPECT_EQ(Run({Click(19), Click(7),                      // display page
                 GoToPage(2), Type(20, "12"), Type(5, "3000"), Type(6, "1"),
                 GoToPage(4), Click(3),
                 Press(kPrefsOkItem)},
                0),
            kPrefsOkItem);
  EXPECT_EQ(gMidiPrefs, 0x0010 | 0x0004);
  EXPECT_EQ(gUndoLevels, 12);
  ASSERT_NE(gUndoRing, nullptr);
  EXPECT_EQ(gPreferenceValues.inputBufferBytes, 512u * 1024);  // held at 512 K
  EXPECT_EQ(gPreferenceValues.bufferCount, 2u);
  EXPECT_EQ(gPreferenceValues.drawPrefs & 0x4000, 0x4000);
}

TEST_F(PreferencesDialogTest, ApplyClockTakesEffectAtOnceAndTheDialogGoesOn) {
  ApplyClockMode(1);
  gMidiPrefs = 0;
  static uint8_t modeAfterApply;
  modeAfterApply = 99;
  EXPECT_EQ(Run({Click(2), Press(kPrefsApplyClockItem),
                 [](DialogRef dialog) {
                   modeAfterApply = gClockMode;
                   ClickItem(dialog, kBase + 5);  // still open: time stamps on
                 },
                 Press(kPrefsCancelItem)},
                1),
            kPrefsCancelItem);
  EXPECT_EQ(modeAfterApply, 0);  // the hardware timer, applied before the dialog ended
  EXPECT_EQ(gClockMode, 0);
  EXPECT_EQ(gMidiPrefs, 0);      // the other edit is put back
  ApplyClockMode(1);
}

// The picker's red, green and blue fields typed over (the red one has the focus), then OK.
WhenDialogUp::Step PickRgb(const char* red, const char* green, const char* blue) {
  return [=](DialogRef) {
    PostText(red);
    PostKey(kVK_Tab, kTabCharCode);
    PostText(green);
    PostKey(kVK_Tab, kTabCharCode);
    PostText(blue);
  };
}

uint32_t SwatchPixel(DialogRef dialog, DialogItemIndex item) {
  return PortPixel(GetDialogWindow(dialog), Center(ItemRect(dialog, item)));
}

TEST_F(PreferencesDialogTest, SwatchColoursArePickedKeptByOkAndPutBackByCancel) {
  uint16_t savedState = gAppState[0];
  gAppState[0] |= 0x100;  // colour drawing
  for (int16_t ending : {kPrefsOkItem, kPrefsCancelItem}) {
    gPreferenceValues = PreferenceValues{};
    Run({Click(13), PickRgb("10", "20", "30"),
         [](DialogRef picker) {
           EXPECT_EQ(SwatchPixel(picker, kColorPickerNewItem), 0x0A141Eu);  // the new colour
           PostReturn();
         },
         [](DialogRef prefs) {
           EXPECT_EQ(SwatchPixel(prefs, kBase + 13), 0x0A141Eu);  // the swatch redrawn
           ClickItem(prefs, kBase + 15);
         },
         [](DialogRef picker) {
           EXPECT_EQ(SwatchPixel(picker, kColorPickerOriginalItem), 0x999999u);  // starts from the bytes
           PostText("0");
           PostReturn();
         },
         Click(14), [](DialogRef) { PostEscape(); },  // a cancelled pick changes nothing
         Press(ending)},
        0);
    const PreferenceValues standard;
    const PreferenceValues& v = gPreferenceValues;
    bool kept = ending == kPrefsOkItem;
    const RGBColor picked{10 * 257, 20 * 257, 30 * 257};
    EXPECT_EQ(v.colours[0], kept ? picked : standard.colours[0]);
    EXPECT_EQ(v.colours[1], standard.colours[1]);
    EXPECT_EQ(v.thirdColour[0], kept ? 0 : 0x99);
    EXPECT_EQ(v.thirdColour[1], 0x99);
  }
  // Without colour drawing a swatch click opens no picker.
  gAppState[0] = uint16_t(savedState & ~0x100);
  static DialogRef prefsDialog;
  Run({[](DialogRef dialog) {
         prefsDialog = dialog;
         ClickItem(dialog, kBase + 13);
       },
       [](DialogRef dialog) {
         EXPECT_EQ(dialog, prefsDialog);
         ClickItem(dialog, kPrefsOkItem);
       }},
      0);
  EXPECT_EQ(gPreferenceValues.colours[0], PreferenceValues{}.colours[0]);
  gAppState[0] = savedState;
}

TEST_F(PreferencesDialogTest, UndoLevelsStayWithinOneToTenTwentyFour) {
  const PrefsNumberField* undo = FindMemoryPageField(20);
  ASSERT_NE(undo, nullptr);
  EXPECT_EQ(undo->minimum, 1);
  EXPECT_EQ(undo->maximum, 1024);
  EXPECT_EQ(int32_t(kMaxUndoLevels), undo->maximum);  // what the preferences file accepts
  struct Case {
    int32_t typed;
    int32_t stored;
  } cases[] = {{-5, 1}, {0, 1}, {1, 1}, {48, 48}, {1024, 1024}, {1025, 1024}, {2048, 1024},
               {100000, 1024}};
  for (const Case& c : cases) EXPECT_EQ(ClampMemoryPageValue(*undo, c.typed), c.stored) << c.typed;

  // Typed 0 and OK: one level, never none.
  Run({Type(20, "0"), Press(kPrefsOkItem)}, 2);
  EXPECT_EQ(gUndoLevels, 1);
  // The arrows stop at the same ends.
  Run({Type(20, "1"), Click(20), Arrow(1, false), Press(kPrefsOkItem)}, 2);
  EXPECT_EQ(gUndoLevels, 1);
  Run({Type(20, "1024"), Click(20), Arrow(1, true), Press(kPrefsOkItem)}, 2);
  EXPECT_EQ(gUndoLevels, 1024);
  Run({Type(20, "30"), Click(20), Arrow(1, true), Press(kPrefsOkItem)}, 2);
  EXPECT_EQ(gUndoLevels, 31);
}

TEST_F(PreferencesDialogTest, EveryMemoryFieldHasOneRangeForArrowsAndOk) {
  struct Case {
    int16_t item;
    int32_t low, high;
  } cases[] = {{4, 0, 2048}, {5, 4, 512}, {6, 2, 8}, {7, 4, 512}, {17, 0, 2000},
               {20, 1, 1024}, {21, 0, 100000}};
  for (const Case& c : cases) {
    const PrefsNumberField* f = FindMemoryPageField(c.item);
    ASSERT_NE(f, nullptr) << c.item;
    EXPECT_EQ(ClampMemoryPageValue(*f, c.low - 1), c.low) << c.item;
    EXPECT_EQ(ClampMemoryPageValue(*f, c.high + 1), c.high) << c.item;
    EXPECT_EQ(ClampMemoryPageValue(*f, c.low), c.low) << c.item;
  }
  EXPECT_EQ(FindMemoryPageField(8), nullptr);
}

}  // namespace
