// The settings of the Preferences and chase dialogs survive a quit and a restart, and values
// read from a file are held inside the ranges the dialogs allow.
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_chase.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/settings/chase_dialog.h"
#include "shell/settings/preference_settings.h"
#include "shell/settings/preferences_dialog.h"
#include "tests/shell/app/app_fixture.h"

namespace app_test {
namespace {

void ExpectSameValues(const PreferenceValues& a, const PreferenceValues& b) {
  EXPECT_EQ(a.eventBufferBytes, b.eventBufferBytes);
  EXPECT_EQ(a.inputBufferBytes, b.inputBufferBytes);
  EXPECT_EQ(a.bufferCount, b.bufferCount);
  EXPECT_EQ(a.outputBufferBytes, b.outputBufferBytes);
  EXPECT_EQ(a.eventsPerPass, b.eventsPerPass);
  EXPECT_EQ(a.undoEventLimit, b.undoEventLimit);
  EXPECT_EQ(a.refreshPeriod, b.refreshPeriod);
  EXPECT_EQ(a.drawPrefs, b.drawPrefs);
  EXPECT_EQ(a.windowOptions, b.windowOptions);
  EXPECT_EQ(a.displayOption, b.displayOption);
  EXPECT_EQ(a.transportOption, b.transportOption);
  EXPECT_EQ(a.startupOptions, b.startupOptions);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(a.colours[i], b.colours[i]) << "colour " << i;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(a.thirdColour[i], b.thirdColour[i]) << "component " << i;
}

TEST_F(AppTest, DialogSettingsSurviveQuitAndRestart) {
  StartUpApplication(40);
  PreferenceValues& v = gPreferenceValues;
  v.eventBufferBytes = 512 * 1024;
  v.inputBufferBytes = 100 * 1024;
  v.bufferCount = 3;
  v.outputBufferBytes = 200 * 1024;
  v.eventsPerPass = 1500;
  v.undoEventLimit = 777;
  v.refreshPeriod = 222000;
  v.drawPrefs = 0x9000;
  v.windowOptions = 0x6000;
  v.displayOption = 1;
  v.transportOption = 1;
  v.startupOptions = 3;
  v.colours[0] = RGBColor{0x1234, 0x5678, 0x9ABC};
  v.colours[1] = RGBColor{0, 0xFFFF, 0x8000};
  v.thirdColour[0] = 1, v.thirdColour[1] = 2, v.thirdColour[2] = 3;
  const PreferenceValues saved = v;
  gChaseFilter = 0x8412;
  gChaseSettings = ChaseSettings{12, 30, 4};
  gMidiPrefs = uint16_t(gMidiPrefs ^ 0x0080);
  const uint16_t midi = gMidiPrefs;
  QuitApplication(0);

  gPreferenceValues = PreferenceValues{};
  gChaseFilter = kChaseFilterDefault;
  gChaseSettings = ChaseSettings{};
  gMidiPrefs = uint16_t(midi ^ 0x0080);
  StartUpApplication(40);
  ExpectSameValues(gPreferenceValues, saved);
  EXPECT_EQ(gChaseFilter, 0x8412);
  EXPECT_EQ(gChaseSettings.rangeBars, 12);
  EXPECT_EQ(gChaseSettings.pauseTicks, 30);
  EXPECT_EQ(gChaseSettings.burstCount, 4);
  EXPECT_EQ(gMidiPrefs & 0x00FE, midi & 0x00FE);
  QuitApplication(0);
}

TEST(DialogSettingsRecord, ValuesFromAFileStayInsideTheDialogsRanges) {
  InstallDialogSettingsHooks();
  PrefsSettings s;
  SetDefaultSettings(&s);
  SetSetting(&s, kSetEventBufferBytes, 0xFFFFFFFF);
  SetSetting(&s, kSetBufferA, 1);
  SetSetting(&s, kSetCount, 99);
  SetSetting(&s, kSetEventsPerPass, 5000);
  SetSetting(&s, kSetUndoEventLimit, 1000000);
  SetSetting(&s, kSetRefreshPeriod, 0);
  SetSetting(&s, kSetDisplayOption, 0xFF);
  SetSetting(&s, kSetChaseFilter, 0);
  const PreferenceValues before = gPreferenceValues;  // no colour marker: the colours stay
  ApplyDialogSettings(&s);
  EXPECT_EQ(gPreferenceValues.eventBufferBytes, 2048u * 1024);
  EXPECT_EQ(gPreferenceValues.inputBufferBytes, 4u * 1024);
  EXPECT_EQ(gPreferenceValues.bufferCount, 8u);
  EXPECT_EQ(gPreferenceValues.eventsPerPass, 2000u);
  EXPECT_EQ(gPreferenceValues.undoEventLimit, 100000u);
  EXPECT_EQ(gPreferenceValues.refreshPeriod, uint32_t(kDefaultRefreshPeriod));
  EXPECT_EQ(gPreferenceValues.displayOption, 1);
  EXPECT_EQ(gChaseFilter, kChaseFilterDefault);
  EXPECT_EQ(gPreferenceValues.colours[0], before.colours[0]);
  // What is captured reads back unchanged.
  PrefsSettings again;
  SetDefaultSettings(&again);
  CaptureDialogSettings(&again);
  const PreferenceValues taken = gPreferenceValues;
  gPreferenceValues = PreferenceValues{};
  ApplyDialogSettings(&again);
  ExpectSameValues(gPreferenceValues, taken);
}

}  // namespace
}  // namespace app_test
