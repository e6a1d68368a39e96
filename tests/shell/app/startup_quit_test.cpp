// The program's start-up, its documents from the command line, and the quit that writes the
// preferences and the window layout that the next start reads back.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/devices/audio_driver.h"
#include "editing/transforms/value_settings.h"
#include "song/prefs/startup_settings.h"
#include "audio/devices/coreaudio_devices.h"
#include "audio/devices/coreaudio_io.h"
#include "platform/coreaudio/core_audio.h"
#include "platform/events/apple_events.h"
#include "platform/menus/menus.h"
#include "platform/windows/windows.h"
#include "shell/app/app_entry.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/base/audio_setup_output.h"
#include "shell/base/error_report.h"
#include "shell/base/error_report_hooks.h"
#include "shell/base/new_song_defaults.h"
#include "shell/menus/menu_bar.h"
#include "shell/menus/menu_dispatch.h"
#include "shell/windows/app_windows.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/utility_track_access.h"
#include "platform/files/file_locations.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/screen.h"
#include "shell/base/bmid_resources.h"
#include "shell/base/preferences_file.h"
#include "shell/base/resource_files.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/window_sizing.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/instruments/instrument_table.h"
#include "song/documents/document_open.h"
#include "song/documents/document_writer.h"
#include "song/prefs/general_settings.h"
#include "song/prefs/outputs_file.h"
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
  EXPECT_EQ("Song 1: Untitled", std::string(reinterpret_cast<char*>(title + 1), title[0])) << "the song's window names it";
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

// The program's settings as a fresh process has them before start-up reads the record.
void ResetProgramSettings() {
  gDefaultFontId = 1;
  gDefaultFontSize = 10;
  ChangeResolutionTo(kDefaultTicksPerQuarter);
}

struct MeterOfSong {
  int32_t beats, ticksPerBeat;
};
MeterOfSong CurrentSongMeter() {
  return {gCurrentSong[kSongBeatsPerBar], ReadU16BE(gCurrentSong + kSongTicksPerBeat)};
}

// The fonts, the resolution, the meter (6/8 at 960 ticks a quarter), the sample rate and the
// transforms' N-only flag in force at quit are those of the next start.
TEST_F(StartupQuitTest, TheGeneralSettingsWrittenAtQuitAreReadAtTheNextStart) {
  StartUpApplication(40);
  gDefaultFontId = 4;
  gDefaultFontSize = 13;
  ChangeResolutionTo(960);
  gConductorState.beatsPerBar = 6;
  gConductorState.ticksPerBeat = 480;
  gConductorState.ticksPerBar = 2880;
  const float rate = gAudioSampleRate;
  gTransformOptions = kOnlyControllerN;
  SetSetting(&gPrefsSettings, kSetLaneController, 9);
  QuitApplication(0);

  ResetProgramSettings();
  gTransformOptions = 0;
  gTransformController = 1;
  gQuitFlag = 0;
  StartUpApplication(40);
  EXPECT_TRUE(OnlyControllerN()) << "the transforms' N-only flag";
  EXPECT_EQ(9, gTransformController) << "N from the saved lane controller";
  gTransformOptions = 0;
  gTransformController = 1;
  EXPECT_EQ(4, gDefaultFontId);
  EXPECT_EQ(13, gDefaultFontSize);
  EXPECT_EQ(960, gTicksPerQuarter);
  ASSERT_NE(gCurrentSong, nullptr);
  EXPECT_EQ(6, CurrentSongMeter().beats);
  EXPECT_EQ(480, CurrentSongMeter().ticksPerBeat);
  EXPECT_EQ(rate, gPreferredSampleRate);
  QuitApplication(0);
  ResetProgramSettings();
}

// A damaged record is refused: the start goes on with the settings as they were.
TEST_F(StartupQuitTest, ADamagedGeneralSettingsRecordChangesNothing) {
  StartUpApplication(40);
  gDefaultFontSize = 13;
  ChangeResolutionTo(960);
  QuitApplication(0);
  for (int32_t length : {200, 414}) {
    SCOPED_TRACE(length);
    ASSERT_EQ(noErr, UsePrefsResFile());
    Handle damaged = NewHandleClear(length);
    std::memset(*damaged, 0x41, size_t(length));  // names of 65 characters, a resolution of 0x4141
    ASSERT_EQ(noErr, WriteBMIDResource(&damaged, kGeneralSettingsId, nullptr, true));
    DisposeHandle(damaged);
    CloseResFileUseApp(gPrefsResFile);
    gPrefsResFile = -1;

    ResetProgramSettings();
    gQuitFlag = 0;
    StartUpApplication(40);
    EXPECT_EQ(1, gDefaultFontId);
    EXPECT_EQ(10, gDefaultFontSize);
    EXPECT_EQ(kDefaultTicksPerQuarter, gTicksPerQuarter);
    EXPECT_EQ(4, CurrentSongMeter().beats);
    QuitApplication(0);
  }
  ResetProgramSettings();
}

// The main editor takes the rest of the height, at most eleven rows of the track row height
// per pane plus the pane margin plus 16; the counter takes its stored width less 1 and goes 10 pixels below.
TEST_F(StartupQuitTest, StartupPlacementSizesTheEditorByItsPaneRows) {
  StartUpApplication(40);
  Rect area;
  GetAvailableWindowPositioningBounds(GetMainDevice(), &area);
  ASSERT_GT(area.right - area.left - 8, 640);
  ASSERT_GT(area.bottom - area.top - 8, 480);
  const int16_t counterHeight = int16_t(ContentFrame(&gInfoPanelRecord).bottom - ContentFrame(&gInfoPanelRecord).top);
  const int16_t height = int16_t(area.bottom - area.top - 8);
  const int16_t rest = int16_t(height - height / 4 - 22 - (counterHeight + 10 + 22));
  bool capped = false, filled = false;
  for (int16_t panes : {1, 3, 10, 200}) {
    SCOPED_TRACE(panes);
    gLayoutPaneCount = panes;
    PlaceStartupWindows();
    const Rect editor = ContentFrame(&gMainEditorRecord), counter = ContentFrame(&gInfoPanelRecord);
    const int32_t most = std::max<int32_t>(gTrackRowHeight, 11) * 11 * panes + gPaneTopMargin + 16;
    EXPECT_EQ(std::min<int32_t>(most, rest), editor.bottom - editor.top);
    capped |= most < rest;
    filled |= most > rest;
    EXPECT_EQ(area.left + 4, editor.left);
    EXPECT_EQ(gInfoPanelFullWidth - 1, counter.right - counter.left);
    EXPECT_EQ(counterHeight, counter.bottom - counter.top);
    EXPECT_EQ(editor.bottom + 10 + 22, counter.top);
    EXPECT_LE(counter.bottom, area.bottom);
  }
  EXPECT_TRUE(capped && filled) << "the table reaches both sides of the rule";
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

// What the preferences say new songs and tracks take is kept by the quit and taken by the
// next start's new songs; the audio set-up's code 110 report changes the output kind of the
// tracks made after it.
TEST_F(StartupQuitTest, NewSongsTakeThePreferredOutputOfTheLastSession) {
  StartUpApplication(40);
  NewSongDefaults preferred;
  preferred.trackType = 18, preferred.trackMidiOutput = 3, preferred.trackByte136 = 9;
  preferred.trackByte137 = 4, preferred.display184 = 0x1234, preferred.display186 = 0x0567;
  preferred.headerByte49 = 7, preferred.headerByte219 = 2, preferred.trackModeBits = 0xC0;
  gNewSongDefaults = preferred;
  QuitApplication(0);
  gNewSongDefaults = NewSongDefaults();
  gQuitFlag = 0;
  StartUpApplication(40);
  EXPECT_EQ(noErr, HandleFileMenu(kFileNewItem));
  ASSERT_NE(gCurrentSong, nullptr);
  ASSERT_GE(GetSongTrackCount(), 1);
  const uint8_t* track = GetTrackEntryAt(0);
  EXPECT_EQ(18, track[kTrackType]);
  EXPECT_EQ(3, track[kTrackMidiOutput]);
  EXPECT_EQ(9, track[kTrackDeviceChannel1]);
  EXPECT_EQ(4, track[kTrackDeviceChannel1 + 1]);
  EXPECT_EQ(0xC0, track[kTrackModeFlags] & 0xC0);
  EXPECT_EQ(0x1234, ReadU16BE(gCurrentSong + kSongDisplay184));
  EXPECT_EQ(0x0567, ReadU16BE(gCurrentSong + kSongDisplay186));
  EXPECT_EQ(7, gCurrentSong[kSongPrefByte49]);
  EXPECT_EQ(2, gCurrentSong[kSongDisplayShift]);

  gAudioSetupOutput[3] = 19;  // the audio output
  ErrorReportHooks shown = gErrorReportHooks;
  gErrorReportHooks.showCautionAlert = [](int16_t) -> int16_t { return 1; };  // OK at once
  ReportErrorWithSetupFlag(110);
  gErrorReportHooks = shown;
  gSongModified = 0;
  EXPECT_EQ(noErr, HandleFileMenu(kFileNewItem));
  track = GetTrackEntryAt(0);
  EXPECT_EQ(19, track[kTrackType]);
  EXPECT_EQ(0, track[kTrackMidiOutput]);
  EXPECT_EQ(0, track[kTrackDeviceChannel1]);
  gAudioSetupOutput[3] = 0;
  gNewSongDefaults = NewSongDefaults();
  QuitApplication(0);
}

// File > New does not keep the instruments of the document before it: it takes the table the
// last quit kept in the outputs file; without that file a document's table gives way to none,
// while a table the user made in the program stays.
TEST_F(StartupQuitTest, FileNewTakesTheInstrumentsTheLastQuitKept) {
  StartUpApplication(40);
  ASSERT_EQ(noErr, CreateInstrumentTable(3, 18));
  std::string kept(*gInstrumentTable, size_t(GetHandleSize(gInstrumentTable)));
  QuitApplication(0);
  gQuitFlag = 0;
  StartUpApplication(40);
  zarin_test::TempFolder folder;
  FSSpec document;
  PathToSpec(folder.File("song"), &document);
  ASSERT_EQ(noErr, CreateInstrumentTable(6, 5));
  ASSERT_EQ(noErr, SaveSongDocument(&document, 0));
  ASSERT_EQ(noErr, OpenSongFile(&document, 0, false));  // its table replaces the program's
  EXPECT_EQ(noErr, HandleFileMenu(kFileNewItem));
  ASSERT_EQ(3, gInstrumentCount);
  for (int32_t i = 0; i <= 3; ++i) {  // the instruments and the master: names and outputs
    SCOPED_TRACE(i);
    EXPECT_EQ(kept.substr(size_t(i) * 256, 180), std::string(reinterpret_cast<char*>(GetInstrumentRecord(i)), 180));
  }

  FSSpec outputs;
  ASSERT_GT(GetOutputsFileSpec(&outputs), 0);
  ASSERT_EQ(noErr, FSpDelete(&outputs));
  ASSERT_EQ(noErr, CreateInstrumentTable(2, 18));  // made in the program
  EXPECT_EQ(noErr, HandleFileMenu(kFileNewItem));
  EXPECT_EQ(2, gInstrumentCount) << "the program's own table stays";
  ASSERT_EQ(noErr, OpenSongFile(&document, 0, false));
  EXPECT_EQ(6, gInstrumentCount);
  EXPECT_EQ(noErr, HandleFileMenu(kFileNewItem));
  EXPECT_EQ(0, gInstrumentCount) << "no outputs file: the document's table goes, as at a first start";
  QuitApplication(0);
}

}  // namespace
}  // namespace app_test
