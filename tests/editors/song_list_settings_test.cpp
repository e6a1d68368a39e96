// The song list's settings dialog and the small name editor, driven by posted input: OK
// stores what was typed and chosen (the pause held within 0..200), Cancel changes nothing.
#include <gtest/gtest.h>

#include <string>

#include "editors/song_list_settings.h"
#include "shell/dialogs/dialog_toolkit.h"
#include "shell/dialogs/name_dialog.h"
#include "song/model/song_context.h"
#include "tests/shell/dialogs/dialog_test_support.h"

namespace {

using namespace classic_dialog_test;

constexpr DialogItemIndex kPauseItem = 3, kTotalItem = 11, kFirstModeItem = 12;

class SongListDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("ZARIN_HEADLESS", "1", 1);
    InitWindows();
    ui_test::ResetInput();
    ResetDialogState();
    resources_ = std::make_unique<ui_test::ScopedResources>(zarin_test::ReadWholeFile(ZARIN_SONG_LIST_SOURCE));
    gSongListSettings = SongListSettings{kSongListSingle, 12, 0, kSongListDurations};
    gSongModified = 0;
  }
  void TearDown() override {
    resources_.reset();
    ui_test::ResetInput();
    gSongListSettings = SongListSettings();
  }
  template <typename Fn>
  bool Run(Fn dialog, std::vector<WhenDialogUp::Step> input) {
    WhenDialogUp up(std::move(input));
    ui_test::ModalGuard guard;
    bool ok = dialog();
    EXPECT_TRUE(up.ran());
    EXPECT_EQ(nullptr, gCurrentDialog);
    return ok;
  }
  std::unique_ptr<ui_test::ScopedResources> resources_;
};

TEST_F(SongListDialogs, TheSettingsDialogShowsTheSettingsAndOKStoresTheChoices) {
  std::string pause;
  int16_t total = -1, durations = -1;
  struct Case {
    const char* typed;
    DialogItemIndex button;
    uint8_t pause, flags, mode;
  };
  const Case kCases[] = {{"45", 1, 45, kSongListShowTotal, kSongListRemaining},
                         {"250", 1, 200, kSongListShowTotal, kSongListRemaining},
                         {"45", 2, 12, 0, kSongListDurations}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.typed) + " " + std::to_string(c.button));
    gSongListSettings = SongListSettings{kSongListSingle, 12, 0, kSongListDurations};
    gSongModified = 0;
    bool ok = Run(EditSongListSettings,
                  {[&](DialogRef d) {
                     pause = ItemText(d, kPauseItem);
                     total = GetDialogControlValue(kTotalItem);
                     durations = GetDialogControlValue(kFirstModeItem + 1);
                     TypeInto(d, kPauseItem, c.typed);
                   },
                   [](DialogRef d) { ClickItem(d, kTotalItem); },
                   [](DialogRef d) { ClickItem(d, kFirstModeItem + 2); },
                   [&](DialogRef d) { ClickItem(d, c.button); }});
    EXPECT_EQ(pause, "12");
    EXPECT_EQ(total, 0);
    EXPECT_EQ(durations, 1);
    EXPECT_EQ(ok, c.button == 1);
    EXPECT_EQ(gSongListSettings.pause, c.pause);
    EXPECT_EQ(gSongListSettings.flags, c.flags);
    EXPECT_EQ(gSongListSettings.timeMode, c.mode);
    EXPECT_EQ(gSongModified != 0, c.button == 1) << "only OK marks the document modified";
  }
}

TEST_F(SongListDialogs, TheHeaderButtonsToggleThePlayModeAndTheModeAreaCyclesTheTimes) {
  struct Step {
    bool modeArea;
    int16_t button;
    uint8_t playMode, timeMode;
  };
  const Step kSteps[] = {{false, 0, 1, 1}, {false, 0, 0, 1}, {false, 1, 2, 1}, {false, 0, 1, 1},
                         {false, 1, 2, 1}, {false, 1, 0, 1}, {true, 0, 0, 2},  {true, 0, 0, 0}, {true, 0, 0, 1}};
  for (const Step& s : kSteps) {
    if (s.modeArea) CycleSongListTimeMode();
    else ToggleSongListPlayMode(s.button);
    EXPECT_EQ(gSongListSettings.playMode, s.playMode);
    EXPECT_EQ(gSongListSettings.timeMode, s.timeMode);
  }
}

TEST_F(SongListDialogs, TheNameEditorTakesTheTypedNameCutToItsLengthOnlyOnOK) {
  struct Case {
    const char* typed;
    DialogItemIndex button;
    const char* result;
  };
  const Case kCases[] = {{"Verse", 2, "Verse"},
                         {"A name much longer than thirty-one letters", 2, "A name much longer than thirty-"},
                         {"Chorus", 3, "Intro"}};
  for (const Case& c : kCases) {
    Str255 name = "\005Intro";
    std::string shown;
    bool ok = Run([&] { return EditNameInDialog(Point{100, 100}, name, 31); },
                  {[&](DialogRef d) {
                     shown = ItemText(d, 1);
                     TypeInto(d, 1, c.typed);
                   },
                   [&](DialogRef d) { ClickItem(d, c.button); }});
    EXPECT_EQ(shown, "Intro");
    EXPECT_EQ(ok, c.button == 2);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), c.result);
  }
}

}  // namespace
