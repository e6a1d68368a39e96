// The pane stack: each pane draws its own track inside its own band, the row lines stay
// inside the pitch range, and the headers follow the pane count and the window's height.
#include <cstring>

#include "editors/note_drawing/note_boxes.h"
#include "editors/panes/note_row_lines.h"
#include "editors/panes/pane_headers.h"
#include "editors/panes/pane_stack.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/controls/controls.h"
#include "platform/memory/memory.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_instances.h"
#include "shell/base/app_state.h"
#include "song/instruments/plugin_records.h"
#include "song/instruments/rack_sharing.h"
#include "tests/plugins/instances/fake_effect.h"
#include "platform/quickdraw/icons.h"
#include "platform/resources/resource_files.h"
#include "platform/resources/resources.h"
#include "platform/windows/windows.h"
#include "shell/drawing/row_metrics.h"
#include "shell/windows/editor_panes.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "tests/editors/pane_fixture.h"

namespace editors_test {
namespace {

class PaneStackTest : public PaneDrawingTest {
 protected:
  int Dark(const Rect& r) {
    int n = 0;
    for (int v = r.top; v < r.bottom; ++v)
      for (int h = r.left; h < r.right; ++h) {
        uint32_t p = Pixel(h, v);
        n += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 0x60;
      }
    return n;
  }
  Rect PaneRect(int16_t k) {
    Rect r;
    GetPaneContentRect(k, &r);
    return r;
  }
  // The inside of the solo button, the third of the header's toggles.
  Rect SoloButton(const Rect& strip) {
    int16_t line = gStandardLineHeight;
    return Rect{int16_t(strip.top + 3), int16_t(strip.left + kHeaderButtonsLeft + 2 * line + 1),
                int16_t(strip.top + 1 + line), int16_t(strip.left + kHeaderButtonsLeft + 3 * line - 1)};
  }
  // Most of the button's inside is dark.
  bool IsFilled(const Rect& r, int before) { return Dark(r) > before + (r.right - r.left) * (r.bottom - r.top) / 2; }
  Rect HeaderRect(int16_t k) {
    SelectEditorPaneIndex(k);
    Rect r;
    GetPaneHeaderRect(&r);
    return r;
  }
};

TEST_F(PaneStackTest, EachPaneDrawsItsTrackInItsOwnBand) {
  Note high{401, 84, 160, 2}, low{801, 60, 160, 5};
  AddTrack(0, NoteRecords({high}));
  AddTrack(1, NoteRecords({low}));
  AddPane(0, 48);
  AddPane(1, 60);
  gEditorPanes[1].top = 150;  // the divider between the two panes
  LayoutEditorPanes();
  SetPaneScroll(0, 48);  // adding a pane updated every scroller
  SetPaneScroll(1, 72);
  Rect first = PaneRect(0), second = PaneRect(1);
  ASSERT_LT(first.bottom, second.top);
  Draw();
  for (int16_t k : {0, 1}) {
    const Note& n = k == 0 ? high : low;
    const Note& other = k == 0 ? low : high;
    Rect band = PaneRect(k);
    Rect r = ExpectedNoteRect(n, k);
    ASSERT_GE(r.top, band.top);
    ASSERT_LE(r.bottom, band.bottom);
    EXPECT_EQ(Count(r, Rgb(gChannelColors[n.channel])), (r.right - r.left) * (r.bottom - r.top)) << k;
    EXPECT_EQ(Count(band, Rgb(gChannelColors[other.channel])), 0) << k;
  }
  // Two panes: each header has its close box, framed in black at the strip's right.
  for (int16_t k : {0, 1}) {
    Rect strip = HeaderRect(k);
    Rect box{int16_t(strip.top + 2), int16_t(strip.right - 13), int16_t(strip.top + 11), int16_t(strip.right - 4)};
    EXPECT_GT(Dark(box), 12) << k;
  }
}

TEST_F(PaneStackTest, OnePaneHasNoCloseBoxAndItsHeaderShowsTheTrack) {
  AddTrack(0, NoteRecords({{401, 72, 80}}));
  AddPane(0, 48);
  Draw();
  Rect strip = HeaderRect(0);
  Rect box{int16_t(strip.top + 2), int16_t(strip.right - 13), int16_t(strip.top + 11), int16_t(strip.right - 4)};
  EXPECT_EQ(Dark(box), 0);
  Rect title{int16_t(strip.top + 1), int16_t(strip.left + kHeaderTitleLeft), int16_t(strip.bottom - 1),
             int16_t(strip.left + kHeaderTitleRight)};
  EXPECT_GT(Dark(title), 0);
  // The output column shows the track's MIDI destination.
  int16_t line = gStandardLineHeight;
  Rect output{int16_t(strip.top + 1), int16_t(strip.left + 4 * line + 350), int16_t(strip.bottom - 1),
              int16_t(strip.left + 4 * line + 350 + 150)};
  EXPECT_EQ(Dark(output), 0);
  const char kName[] = "\x07Synth A";
  std::memcpy(gCurrentTrack + kTrackEndpointName, kName, 8);
  Draw();
  EXPECT_GT(Dark(output), 0);
  // A track showing its alternate regions has its title in italic (not dimmed).
  auto titlePixels = [&] {
    std::vector<uint32_t> pixels;
    for (int v = title.top; v < title.bottom; ++v)
      for (int h = title.left; h < title.right; ++h) pixels.push_back(Pixel(h, v));
    return pixels;
  };
  std::vector<uint32_t> upright = titlePixels();
  gCurrentTrack[kTrackOutputFlags] |= kTrackOutputSecondRegions;
  Draw();
  EXPECT_NE(titlePixels(), upright);
  EXPECT_GT(Dark(title), 0);
  gCurrentTrack[kTrackOutputFlags] &= uint8_t(~kTrackOutputSecondRegions);
  Draw();
  EXPECT_EQ(titlePixels(), upright);
  // The solo button fills when the track is soloed.
  Rect solo = SoloButton(strip);
  int before = Dark(solo);
  gCurrentTrack[kTrackFlags] |= kTrackFlagSolo;
  Draw();
  EXPECT_TRUE(IsFilled(solo, before));
}

TEST_F(PaneStackTest, RowLinesNeverRiseAbovePitch131) {
  AddTrack(0, NoteRecords({}));
  AddPane(0, 0);  // scrolled to the top: pitch 143 at the divider
  HideBarAndGridLines();
  for (uint8_t style : {kOctaveRowLines, kPianoRowLines, kShadedRowLines}) {
    gNoteRowStyle = style;
    Draw();
    Rect pane = PaneRect(0);
    int32_t row131 = gTimelineFrame.top + gNoteRowPosition[131];
    Rect above{int16_t(pane.top + 1), int16_t(gTimelineFrame.originX + 1), int16_t(row131 - 2), pane.right};
    EXPECT_EQ(Dark(above), 0) << int(style);
    EXPECT_EQ(Count(above, 0xFFFFFF), (above.right - above.left) * (above.bottom - above.top)) << int(style);
    Rect below{int16_t(row131 - 1), int16_t(gTimelineFrame.originX + 1), pane.bottom, pane.right};
    EXPECT_LT(Count(below, 0xFFFFFF), (below.right - below.left) * (below.bottom - below.top)) << int(style);
  }
}

// The keyboard left of the note rows: its black keys lie on the black-key rows at every note
// zoom (each zoom has its own picture), and without the pictures the column stays empty.
TEST_F(PaneStackTest, TheKeyboardColumnsBlackKeysLieOnTheBlackKeyRowsAtEveryZoom) {
  AddTrack(0, NoteRecords({}));
  AddPane(0, 48);  // pitch 95 at the top
  const uint32_t kBlackKey = 0x202428;
  int16_t x = int16_t(gTimelineFrame.originX - kKeyColumnWidth + 4);
  auto rowMiddle = [](int p) { return gTimelineFrame.top + (gNoteRowPosition[p] + gNoteRowPosition[p - 1]) / 2; };
  Draw();
  EXPECT_NE(Pixel(x, rowMiddle(85)), kBlackKey) << "a keyboard without its pictures";
  SInt16 ref = -1;
  ASSERT_EQ(noErr, OpenAppResourceFile(ZARIN_TEST_APP_RESOURCES, &ref));
  const int blackKeys[] = {85, 82, 80, 78, 75, 73};  // C#, A#, G#, F#, D#, C# below pitch 95
  const int whiteKeys[] = {86, 84, 83, 81, 79, 77, 76, 74, 72};
  for (int16_t level = 0; level <= 10; ++level) {
    SCOPED_TRACE("note zoom " + std::to_string(level));
    SetNoteZoom(level);
    Draw();
    int16_t bottom = PaneRect(0).bottom;
    ASSERT_LT(rowMiddle(84), bottom);  // a black and two white keys show at every zoom
    for (int p : blackKeys)
      if (rowMiddle(p) < bottom) EXPECT_EQ(Pixel(x, rowMiddle(p)), kBlackKey) << p;
    for (int p : whiteKeys)
      if (rowMiddle(p) < bottom) EXPECT_NE(Pixel(x, rowMiddle(p)), kBlackKey) << p;
  }
  CloseResFile(ref);
  SetNoteZoom(3);  // no picture of its own any more: the one loaded stays
  EXPECT_NE(gKeyboardIcon, nullptr);
  DisposeCIcon(gKeyboardIcon);
  gKeyboardIcon = nullptr;
  SetNoteZoom(0);
}

// The plug-in column of a track pane's header: the names of the rack's plug-ins joined by ","
// (the text grows with the second plug-in); a rack whose inserts are off shows no chain.
TEST_F(PaneStackTest, TheHeaderListsTheTracksPlugInsUnlessItsInsertsAreOff) {
  SizeWindow(gMainEditorRecord.window, 900, 400, false);  // the column lies past x 590
  AddTrack(0, NoteRecords({}));
  AddPane(0, 48);
  ResetPluginTable();
  int32_t index = AppendVstInfo();
  FakeEffect echo(2, 2, 0x101), verb(2, 2, 0x102);
  uint32_t head = 0;
  Handle rack = NewHandleClear(kPluginRecordBytes);
  WriteU32BE(gCurrentTrack + kTrackInsertRack, rack.id);
  Rect strip = HeaderRect(0);
  int16_t column = int16_t(strip.left + 4 * gStandardLineHeight + 545);
  auto inkRight = [&] {  // the rightmost inked column of the plug-in column, 0 when none
    Draw();
    for (int16_t x = int16_t(column + 150); x > column; --x)
      if (Dark(Rect{int16_t(strip.top + 1), x, int16_t(strip.bottom - 1), int16_t(x + 1)})) return x - column;
    return 0;
  };
  EXPECT_EQ(inkRight(), 0);
  const char* names[] = {"\x04" "Echo", "\x04" "Verb"};
  FakeEffect* fakes[] = {&echo, &verb};
  int widths[2] = {};
  for (int k = 0; k < 2; ++k) {
    ASSERT_NE(0u, OpenPluginInstance(nullptr, 512, &head, index, 0, PluginInfoAt(index), kOpenQuietly,
                                     &fakes[k]->effect, 48000.0));
    PluginInstance* plugin = GetChainPlugin(head, k);
    std::memcpy(plugin->name, names[k], 5);
    SetRackChainHead(rack, head);
    widths[k] = inkRight();
  }
  EXPECT_GT(widths[0], 10);
  EXPECT_GT(widths[1], widths[0] + 10) << "the second name follows the first";
  SetRackFlags(rack, kRackFlagInsertsOff);
  EXPECT_EQ(inkRight(), 0);
  WriteU32BE(gCurrentTrack + kTrackInsertRack, 0);
  DisposeHandle(rack);
  ReleaseChainPlugins(head);
}

// The classic look draws a separator after a track pane's title and one after its length.
TEST_F(PaneStackTest, TheClassicLookSeparatesTheHeadersColumns) {
  AddTrack(0, NoteRecords({}));
  AddPane(0, 48);
  Rect strip = HeaderRect(0);
  int16_t line = gStandardLineHeight;
  Rect afterTitle{int16_t(strip.top + 1), int16_t(strip.left + 126), int16_t(strip.bottom - 1), int16_t(strip.left + 127)};
  Rect afterLength{int16_t(strip.top + 1), int16_t(strip.left + 4 * line + 154), int16_t(strip.bottom - 1),
                   int16_t(strip.left + 4 * line + 155)};
  uint16_t saved = gAppState[0];
  for (bool classic : {false, true}) {
    gAppState[0] = uint16_t(classic ? saved | kAppWord0HighlightColour : saved & ~kAppWord0HighlightColour);
    Draw();
    EXPECT_EQ(Dark(afterTitle) >= afterTitle.bottom - afterTitle.top - 1, classic);
    EXPECT_EQ(Dark(afterLength) >= afterLength.bottom - afterLength.top - 1, classic);
  }
  gAppState[0] = saved;
}

// The mode column names the pane's view mode from the application's titles, after the note
// name of the top row.
TEST_F(PaneStackTest, TheHeaderNamesThePanesViewMode) {
  AddTrack(0, NoteRecords({}));
  AddPane(0, 48);
  Rect strip = HeaderRect(0);
  int16_t left = int16_t(strip.left + 4 * gStandardLineHeight + 166 + 27);
  Rect mode{int16_t(strip.top + 1), left, int16_t(strip.bottom - 1), int16_t(left + 150)};
  Draw();
  EXPECT_EQ(Dark(mode), 0) << "a title without the application's texts";
  SInt16 ref = -1;
  ASSERT_EQ(noErr, OpenAppResourceFile(ZARIN_TEST_APP_RESOURCES, &ref));
  Draw();
  EXPECT_GT(Dark(mode), 0);
  CloseResFile(ref);
}

TEST_F(PaneStackTest, AHeaderTooNearTheWindowBottomIsNotDrawn) {
  AddTrack(0, NoteRecords({}));
  AddPane(0, 48);
  struct { int16_t height; bool drawn; } cases[] = {{120, true}, {60, true}, {50, false}, {30, false}};
  for (auto c : cases) {
    SizeWindow(gMainEditorRecord.window, 600, c.height, false);
    Rect strip;
    SelectEditorPaneIndex(0);
    EXPECT_EQ(GetPaneHeaderRect(&strip), c.drawn) << c.height;
  }
}

TEST_F(PaneStackTest, AnInstrumentPaneShowsItsEntrysNameAndSolo) {
  ASSERT_EQ(noErr, CreateInstrumentTable(2, 0));  // two instruments, then the master
  AddTrack(0, NoteRecords({}));
  AddPane(0, 48);
  gEditorPanes[0].kind = int8_t(kPaneKindPluginBase + 1);  // slot 1: the first entry after the instruments
  Draw();
  Rect strip = HeaderRect(0);
  Rect title{int16_t(strip.top + 1), int16_t(strip.left + kHeaderTitleLeft), int16_t(strip.bottom - 1),
             int16_t(strip.left + kHeaderTitleRight)};
  EXPECT_GT(Dark(title), 0);
  Rect solo = SoloButton(strip);
  int before = Dark(solo);
  gCurrentTrack[kTrackFlags] |= kTrackFlagSolo;  // the track's solo is not the pane's
  Draw();
  EXPECT_EQ(Dark(solo), before);
  GetInstrumentRecord(gInstrumentCount)[kInstFlags] |= 0x80;
  Draw();
  EXPECT_TRUE(IsFilled(solo, before));
  DisposeInstrumentTable();
}

}  // namespace
}  // namespace editors_test
