// The program's start-up, its documents from the command line, and the quit that writes the
// preferences and the window layout that the next start reads back.
#include <cstdlib>
#include <string>

#include "audio/devices/audio_driver.h"
#include "audio/devices/coreaudio_devices.h"
#include "audio/devices/coreaudio_io.h"
#include "platform/coreaudio/core_audio.h"
#include "platform/events/apple_events.h"
#include "platform/menus/menus.h"
#include "platform/windows/windows.h"
#include "shell/app/app_entry.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/windows/app_windows.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/utility_track_access.h"
#include "song/prefs/window_layout.h"
#include "tests/shell/app/app_fixture.h"

namespace app_test {
namespace {

using StartupQuitTest = AppTest;

std::string TrackName(int32_t i) {
  std::string name(reinterpret_cast<const char*>(TrackEntryView(GetTrackEntryAt(i)).Name()), 32);
  return name.substr(0, name.find_last_not_of(' ') + 1);
}

Rect ContentFrame(AppWindow* record) {
  Rect r;
  GetWindowBounds(GetAppWindowRef(record), kWindowContentRgn, &r);
  return r;
}

TEST_F(StartupQuitTest, StartUpMakesTheWindowsMenusAndAnEmptySong) {
  StartUpApplication(40);
  EXPECT_TRUE(gStartUpComplete);
  for (int16_t kind : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 20, 21, 22, 23, 25}) {
    SCOPED_TRACE(kind);
    AppWindow* record = GetWindowForKind(kind);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(kind, record->kind);
    EXPECT_EQ(record, FindAppWindow(GetAppWindowRef(record)));
  }
  EXPECT_EQ(nullptr, GetWindowForKind(24));
  EXPECT_EQ(nullptr, FindAppWindow(nullptr));
  Str255 title;
  GetWTitle(GetAppWindowRef(GetWindowForKind(5)), title);
  EXPECT_EQ("Tracks", std::string(reinterpret_cast<char*>(title + 1), title[0]));
  for (int16_t id : {427, 428, 429, 435, 445, 498}) EXPECT_NE(nullptr, GetMenuHandle(id)) << id;
  Str255 item;
  GetMenuItemText(GetMenuHandle(428), 23, item);
  EXPECT_EQ("Quit", std::string(reinterpret_cast<char*>(item + 1), item[0]));
  // No saved layout: the counter, the track window and the main editor are shown.
  for (int16_t kind : {3, 4, 5}) EXPECT_TRUE(IsAppWindowVisible(GetWindowForKind(kind))) << kind;
  EXPECT_FALSE(IsAppWindowVisible(GetWindowForKind(kMixerKind)));
  ASSERT_NE(gCurrentSong, nullptr);
  QuitApplication(0);
}

TEST_F(StartupQuitTest, QuitWritesPreferencesAndLayoutThatTheNextStartReads) {
  StartUpApplication(40);
  AppWindow* events = GetWindowForKind(kEventListKind);
  WindowRef window = GetAppWindowRef(events);
  MoveWindow(window, 333, 144, false);
  SizeWindow(window, 300, 260, true);
  ShowWindow(window);
  HideWindow(GetAppWindowRef(GetWindowForKind(kMainEditorWindowKind)));
  const Rect moved = ContentFrame(events);

  PostQuitAppleEvent();
  ASSERT_TRUE(RunUntilQuit());
  EXPECT_EQ(1, gQuitFlag);
  QuitApplication(0);
  // The settings went into the preferences file's data fork (empty until the first quit).
  const char* config = std::getenv("XDG_CONFIG_HOME");
  ASSERT_NE(config, nullptr);
  EXPECT_FALSE(zarin_test::ReadWholeFile(std::string(config) + "/Zarin/Zarin 7 Preferences").empty());

  gWindowLayout = WindowLayoutState();
  gQuitFlag = 0;
  StartUpApplication(40);
  EXPECT_EQ(moved, ContentFrame(GetWindowForKind(kEventListKind)));
  EXPECT_TRUE(IsAppWindowVisible(GetWindowForKind(kEventListKind)));
  EXPECT_FALSE(IsAppWindowVisible(GetWindowForKind(kMainEditorWindowKind)));
  QuitApplication(0);
}

// The audio device chosen in one session (here the null device, which is not the default
// while a JACK server runs) is the one start-up chooses in the next.
TEST_F(StartupQuitTest, TheChosenAudioDeviceIsChosenAgainAtTheNextStart) {
  StartUpApplication(40);
  ASSERT_EQ(gOutputDevices, &gCoreAudioDriver);
  int32_t index = -1;
  for (size_t i = 0; i < gCoreAudioDevices.inputList.size(); ++i) {
    Str255 text;
    GetDevicePascalString(gCoreAudioDevices.inputList[i], 0, kSideOut,
                          kAudioDevicePropertyDeviceNameCFString, 256, text);
    if (std::string(reinterpret_cast<const char*>(text + 1), text[0]) == "Null Output") index = int32_t(i);
  }
  ASSERT_GE(index, 0);
  char name[256] = {0};
  ASSERT_EQ(0, gCoreAudioDriver.SelectInputDevice(index, name, 1));
  const AudioDeviceID chosen = gCoreAudioDevices.outputDevice;
  ASSERT_NE(chosen, kAudioDeviceUnknown);
  QuitApplication(0);

  gCoreAudioDevices.outputDevice = kAudioDeviceUnknown;
  gQuitFlag = 0;
  StartUpApplication(40);
  EXPECT_EQ(chosen, gCoreAudioDevices.outputDevice);
  QuitApplication(0);
}

TEST_F(StartupQuitTest, MidiFileFromTheCommandLineBecomesTheCurrentSong) {
  StartUpApplication(40);
  ASSERT_EQ(noErr, PostOpenDocumentsEventForPaths({zarin_test::FixturePath("smf/tempo_track_notes.mid")}));
  PostQuitAppleEvent();
  ASSERT_TRUE(RunUntilQuit());
  ASSERT_NE(gCurrentSong, nullptr);
  ASSERT_EQ(2, GetSongTrackCount());
  EXPECT_EQ("Bass", TrackName(0));
  EXPECT_EQ("Lead text", TrackName(1));
  QuitApplication(0);
}

}  // namespace
}  // namespace app_test
