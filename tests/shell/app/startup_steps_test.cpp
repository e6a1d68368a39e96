// Start-up's own steps: the list windows' scroll bars and their action, the timebase's
// lengths, the track rows from the list font, the instruments made for the MIDI ports, and
// the settings that come back at the next start (the Help menu's choices, the MIDI input
// flags, the highlight colour).
#include <string>

#include "platform/controls/controls.h"
#include "platform/events/apple_events.h"
#include "platform/memory/byte_order.h"
#include "platform/menus/menus.h"
#include "platform/quickdraw/colors.h"
#include "sequencer/midi/midi_input.h"
#include "sequencer/midi/midi_port_layout.h"
#include "sequencer/midi/port_instruments.h"
#include "shell/app/app_entry.h"
#include "shell/app/shutdown.h"
#include "shell/app/startup.h"
#include "shell/app/window_scroll_actions.h"
#include "shell/drawing/drawing_ports.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/scratch_rect.h"
#include "shell/drawing/track_row_font.h"
#include "shell/menus/menu_dispatch.h"
#include "shell/windows/app_windows.h"
#include "shell/windows/context_help.h"
#include "shell/windows/menu_ids.h"
#include "shell/windows/window_scroll_bars.h"
#include "shell/windows/window_sizing.h"
#include "editors/track_window_drawing.h"
#include "song/conductor/timebase.h"
#include "song/documents/document_file.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/songs.h"
#include "song/prefs/startup_settings.h"
#include "tests/platform/controls/ui_test_support.h"
#include "tests/shell/app/app_fixture.h"

namespace app_test {
namespace {

using StartupStepsTest = AppTest;

std::string U32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

// A format 1 file at 96 ticks a quarter: a conductor track, then `tracks` tracks with one note.
std::string ManyTrackSmf(int tracks) {
  std::string file = "MThd" + U32(6) + std::string{0, 1, 0, char(tracks + 1), 0, 96};
  for (int t = 0; t <= tracks; ++t) {
    std::string body = t == 0 ? std::string() : std::string{0, char(0x90 | (t % 16)), 60, 100, 96, char(0x80 | (t % 16)), 60, 0};
    body += std::string{0, char(0xFF), 0x2F, 0};
    file += "MTrk" + U32(uint32_t(body.size())) + body;
  }
  return file;
}

// The dark pixels of the track window's list below the header.
int ListInk() {
  AppWindow* record = GetWindowForKind(kTrackWindowKind);
  LoadAppWindowContentRect(record);
  Rect list = gScratchRect;
  list.top = int16_t(list.top + kTrackListTop);
  return ui_test::CountDark(GetAppWindowRef(record), list);
}

TEST_F(StartupStepsTest, TheListWindowsGetTheirScrollBarsAndTheTrackWindowsBarScrollsItsRows) {
  StartUpApplication(40);
  AppWindow* track = GetWindowForKind(kTrackWindowKind);
  ASSERT_NE(track->vScrollBar, nullptr);
  ASSERT_NE(track->hScrollBar, nullptr);
  EXPECT_EQ(gTrackVScroll, track->vScrollBar);
  EXPECT_EQ(gTrackHScroll, track->hScrollBar);
  for (int16_t kind : {kSongListKind, kEventListKind, kMarkerListKind}) {
    SCOPED_TRACE(kind);
    AppWindow* w = GetWindowForKind(kind);
    ASSERT_NE(w->vScrollBar, nullptr);
    EXPECT_EQ(w->hScrollBar, nullptr);
    EXPECT_EQ(GetAppWindowControlAction(w->vScrollBar), &ListScrollAction);
    EXPECT_TRUE(IsControlVisible(w->vScrollBar));  // laid out, then shown
  }

  zarin_test::TempFolder folder;
  std::string song = folder.File("many.mid");
  ASSERT_TRUE(zarin_test::WriteWholeFile(song, ManyTrackSmf(30)));
  ASSERT_EQ(noErr, PostOpenDocumentsEventForPaths({song}));
  PostQuitAppleEvent();
  ASSERT_TRUE(RunUntilQuit());
  ASSERT_EQ(30, GetSongTrackCount());
  ControlRef bar = gTrackVScroll;
  int16_t visible = GetTrackWindowVisibleRows();
  ASSERT_GT(visible, 2);
  int32_t maximum = GetControlMaximum(bar);
  ASSERT_GT(maximum, 30 - visible);  // the rows past the last track can be scrolled to as well
  ASSERT_EQ(0, GetTrackWindowVScroll());
  EXPECT_GT(ListInk(), 0);

  struct Step {
    ControlPartCode part;
    int32_t expected;
  };
  const Step kSteps[] = {{kControlUpButtonPart, 0},       {kControlDownButtonPart, 1},
                         {kControlPageDownPart, visible}, {kControlPageUpPart, 1},
                         {kControlUpButtonPart, 0},       {kControlPageUpPart, 0}};
  for (const Step& step : kSteps) {
    ListScrollAction(bar, step.part);
    EXPECT_EQ(step.expected, GetTrackWindowVScroll()) << step.part;
  }
  // Paged to the end: the value stops at the maximum and the list, drawn at once, shows the
  // rows past the last track.
  for (int32_t i = 0; i < maximum; ++i) ListScrollAction(bar, kControlPageDownPart);
  EXPECT_EQ(maximum, GetTrackWindowVScroll());
  EXPECT_EQ(0, ListInk());
  // The thumb moved by the tracking: the rows follow the value it left.
  SetControl32BitValue(bar, 0);
  ListScrollAction(bar, kControlIndicatorPart);
  EXPECT_GT(ListInk(), 0);
  QuitApplication(0);
  // Disposed with their window: nothing reads a bar that is gone.
  DisposeAllAppWindows();
  EXPECT_EQ(nullptr, gTrackVScroll);
  EXPECT_EQ(nullptr, gTrackHScroll);
  EXPECT_EQ(0, GetTrackWindowVScroll());
}

TEST_F(StartupStepsTest, TheTimebaseAndTheTrackRowsAreSetUp) {
  for (int32_t& ticks : gNoteValueTicks) ticks = 0;
  gTrackRowHeight = 40;
  StartUpApplication(40);
  EXPECT_EQ(4 * gTicksPerQuarter, gNoteValueTicks[0]);  // the whole note
  for (int32_t ticks : gNoteValueTicks) EXPECT_GT(ticks, 0);
  EXPECT_EQ(gStandardLineHeight, gTrackRowHeight);  // the list line and 3 pixels
  EXPECT_GE(gTrackRowHeight, kMinRowLineHeight + 3);
  EXPECT_LE(gTrackRowHeight, kMaxRowLineHeight + 3);
  QuitApplication(0);
}

// The sum of the channel bits of the used port entries.
int32_t EnabledPortChannels() {
  int32_t channels = 0;
  for (int32_t i = 0; i < gPortCount; ++i) channels += __builtin_popcount(ReadU16BE(*gPortTable + i * kPortEntrySize + kPortChannelMask));
  return channels;
}

void SetPortMask(int32_t port, uint16_t mask) { WriteU16BE(reinterpret_cast<uint8_t*>(*gPortTable) + port * kPortEntrySize + kPortChannelMask, mask); }

void ExpectOneInstrumentPerPortChannel() {
  ASSERT_GT(gPortCount, 0);
  ASSERT_EQ(EnabledPortChannels(), gInstrumentCount);
  int32_t at = 0;
  for (int32_t port = 0; port < gPortCount; ++port) {
    uint16_t mask = ReadU16BE(*gPortTable + port * kPortEntrySize + kPortChannelMask);
    for (int32_t channel = 0; channel < 16; ++channel) {
      if (!(mask & (1 << channel))) continue;
      SCOPED_TRACE(at);
      InstrumentView view(GetInstrumentRecord(at++));
      EXPECT_EQ(kDeviceKindMidiPort, view.DeviceKind(0));
      EXPECT_EQ(port, view.Port(0));
      EXPECT_EQ(channel, view.Channel(0));
      EXPECT_EQ(ReadU16BE(*gPortTable + port * kPortEntrySize + kPortId), ReadU16BE(GetInstrumentRecord(at - 1) + kInstPortValues));
    }
  }
}

// Bit 0x01 of the song file header's byte 128 asks for them; without it only the master.
constexpr int32_t kHeaderInstrumentByte = 128;

void CreateInstrumentsAsHeaderSays(bool asked) {
  if (asked) gSongFileHeader[kHeaderInstrumentByte] |= 0x01;
  else gSongFileHeader[kHeaderInstrumentByte] &= uint8_t(~0x01);
  CreateStartupInstruments();
  gSongFileHeader[kHeaderInstrumentByte] &= uint8_t(~0x01);
}

TEST_F(StartupStepsTest, StartUpMakesAnInstrumentForEveryEnabledChannelOfTheJackPorts) {
  zarin_test::ScopedEnv jack("ZARIN_MIDI_DRIVERS", "jack");
  StartUpApplication(40);
  CreateInstrumentsAsHeaderSays(true);
  ExpectOneInstrumentPerPortChannel();
  QuitApplication(0);
}

TEST_F(StartupStepsTest, InstrumentsForThePortsOnlyWhenTheHeaderAsks) {
  StartUpApplication(40);
  ASSERT_EQ(noErr, CreateInstrumentTable(3, kDeviceKindNoOutput));
  CreateInstrumentsAsHeaderSays(false);
  EXPECT_EQ(3, gInstrumentCount);  // not asked: the table stays
  CreateInstrumentsAsHeaderSays(true);
  ExpectOneInstrumentPerPortChannel();
  // Two channels of the first port: rebuilt they replace the table, appended they follow it,
  // and the master stays last.
  uint16_t kept = ReadU16BE(*gPortTable + kPortChannelMask);
  for (int32_t port = 0; port < gPortCount; ++port) SetPortMask(port, 0);
  SetPortMask(0, 0x0005);
  ASSERT_EQ(noErr, CreateInstrumentsForPorts(kDeviceKindMidiPort, 2, true));
  ASSERT_EQ(2, gInstrumentCount);
  EXPECT_EQ(2, InstrumentView(GetInstrumentRecord(1)).Channel(0));
  EXPECT_EQ(2, InstrumentView(GetInstrumentRecord(1)).Port(0));  // counted from the sub-kind
  ASSERT_EQ(noErr, CreateInstrumentsForPorts(kDeviceKindMidiPort, 0, false));
  ASSERT_EQ(4, gInstrumentCount);
  EXPECT_EQ(0, InstrumentView(GetInstrumentRecord(2)).Channel(0));
  EXPECT_TRUE(GetMasterEntry()[kInstFlags] & kInstFlagMasterReady);
  // No channel: nothing to make, the table stays.
  SetPortMask(0, 0);
  EXPECT_EQ(kNoPortChannelsErr, CreateInstrumentsForPorts(kDeviceKindMidiPort, 0, true));
  EXPECT_EQ(4, gInstrumentCount);
  EXPECT_EQ(noErr, CreateInstrumentsForPorts(kDeviceKindMidiPort, 0, false));  // appends none
  EXPECT_EQ(4, gInstrumentCount);
  SetPortMask(0, kept);
  QuitApplication(0);
}

int16_t Mark(int16_t item) {
  int16_t mark = 0;
  GetItemMark(GetMenuHandle(kHelpMenuId), MenuItemIndex(item), &mark);
  return mark;
}

TEST_F(StartupStepsTest, TheHelpChoicesAndTheMidiInputFlagsComeBackAtTheNextStart) {
  StartUpApplication(40);
  ASSERT_NE(GetMenuHandle(kHelpMenuId), nullptr);
  ASSERT_EQ(0, gHelpPrefs);
  DispatchMenuCommand(kSystemHelpMenuId, 5);  // open the local manual
  ASSERT_EQ(kHelpPrefLocalManual, gHelpPrefs);
  gMidiInputFlags = kInputRecordSysEx | kInputPollSuspended;
  QuitApplication(0);

  // A fresh process: nothing chosen, nothing marked.
  gHelpPrefs = 0;
  gMidiInputFlags = 0;
  CheckMenuItem(GetMenuHandle(kHelpMenuId), 5, false);
  gQuitFlag = 0;
  StartUpApplication(40);
  EXPECT_EQ(kHelpPrefLocalManual, gHelpPrefs);
  EXPECT_NE(0, Mark(5));
  EXPECT_EQ(0, Mark(4));
  EXPECT_EQ(kInputRecordSysEx, gMidiInputFlags);  // the polling state is not kept
  DispatchMenuCommand(kSystemHelpMenuId, 5);
  gMidiInputFlags = 0;
  QuitApplication(0);
  gQuitFlag = 0;
  StartUpApplication(40);
  EXPECT_EQ(0, gHelpPrefs);
  EXPECT_EQ(0, Mark(5));
  QuitApplication(0);
}

TEST_F(StartupStepsTest, ASavedHighlightColourBecomesTheProgramsOne) {
  StartUpApplication(40);
  RGBColor before{};
  LMGetHiliteRGB(&before);
  PrefsSettings settings = gPrefsSettings;
  SetSetting(&settings, kSetHighlightColour, 0);
  ApplyLiveSettings(&settings);
  RGBColor kept{};
  LMGetHiliteRGB(&kept);
  EXPECT_EQ(before.red, kept.red);  // none saved: the colour stays
  SetSetting(&settings, kSetHighlightColour, 0x00336699);
  ApplyLiveSettings(&settings);
  RGBColor taken{};
  LMGetHiliteRGB(&taken);
  EXPECT_EQ(0x3333, taken.red);
  EXPECT_EQ(0x6666, taken.green);
  EXPECT_EQ(0x9999, taken.blue);
  LMSetHiliteRGB(&before);
  QuitApplication(0);
}

}  // namespace
}  // namespace app_test
