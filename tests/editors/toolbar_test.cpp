// The main editor's tool bar: one cell per tool button for drawing and for the mouse, the
// areas the mouse is tested against, the number fields of the current track and the audio
// status lines.
#include <vector>

#include "audio/engine/engine_status.h"
#include "editors/panes/grid_lines.h"
#include "editors/rulers/bar_ruler.h"
#include "editors/toolbar/toolbar_fields.h"
#include "editors/toolbar/toolbar_layout.h"
#include "editors/toolbar/toolbar_pictures.h"
#include "platform/resources/resource_files.h"
#include "platform/resources/resources.h"
#include "platform/memory/byte_order.h"
#include "platform/quickdraw/text.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/editor_panes.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "tests/editors/pane_fixture.h"

namespace editors_test {
namespace {

constexpr int16_t kX0 = 10, kY0 = 4;
constexpr int16_t kAboveHeaders = 38;  // the first pane's header begins below

class ToolbarTest : public PaneDrawingTest {
 protected:
  void SetUp() override {
    PaneDrawingTest::SetUp();
    gEditorLayout.toolbar = Rect{0, 4, 60, 544};
    gEditorLayout.originX = 6;  // x0 = 4 + 6
    gEditorLayout.originY = kY0;
    AddTrack(0, NoteRecords({}));
    AddPane(0, 48);
    Draw();
  }
  void TearDown() override {
    gAudioStatusWord = 0;
    gCurrentViewMode = 0;
    SetGridFlagsSource(nullptr);
    gEditorLayout = EditorLayout();
    if (gInstrumentCount) DisposeInstrumentTable();
    PaneDrawingTest::TearDown();
  }
  std::string Text(const Str255 s) { return std::string(reinterpret_cast<const char*>(s + 1), s[0]); }
  int Ink(const Rect& r) { return (r.right - r.left) * (r.bottom - r.top) - Count(r, 0xFFFFFF); }
  // The rows of r with any ink.
  int InkedRows(const Rect& r) {
    int rows = 0;
    for (int v = r.top; v < r.bottom; ++v) rows += Ink(Rect{int16_t(v), r.left, int16_t(v + 1), r.right}) > 0;
    return rows;
  }
};

TEST_F(ToolbarTest, TheToolbarPictureLiesAtItsSizeAndTheLanePictureOnlyOutsideNoteAndDrumViews) {
  const uint32_t kBottomEdge = 0x7A838C, kLaneWellLine = 0x9AA3AC, kWhite = 0xFFFFFF;
  // Without the application's pictures nothing is drawn.
  DrawToolbarPictures();
  EXPECT_EQ(kWhite, Pixel(kX0 + 300, kY0 + 5));
  SInt16 ref = -1;
  ASSERT_EQ(noErr, OpenAppResourceFile(ZARIN_TEST_APP_RESOURCES, &ref));
  // The lane picture's top frame line runs 2 below its top from x0 + 53 + 52 to + 236.
  const int16_t laneLine = kY0 + 13 + 2, inBoth = kX0 + 53 + 100, pastAudio = kX0 + 53 + 140;
  struct Case {
    int16_t viewMode;
    bool lineAt100, lineAt140;
  };
  const Case cases[] = {{0, false, false}, {1, false, false}, {16, false, false},
                        {2, true, true},   {8, true, true},   {9, true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE("view mode " + std::to_string(c.viewMode));
    Draw();
    gCurrentViewMode = c.viewMode;  // the pane's drawing chose its own
    DrawToolbarPictures();
    EXPECT_EQ(kBottomEdge, Pixel(gEditorLayout.toolbar.left + 400, gEditorLayout.toolbar.top + 39));
    EXPECT_EQ(kWhite, Pixel(gEditorLayout.toolbar.left + 525, gEditorLayout.toolbar.top + 10))
        << "the tool bar picture was stretched past its width";
    EXPECT_EQ(c.lineAt100, Pixel(inBoth, laneLine) == kLaneWellLine);
    EXPECT_EQ(c.lineAt140, Pixel(pastAudio, laneLine) == kLaneWellLine);
  }
  CloseResFile(ref);
}

TEST_F(ToolbarTest, EachToolButtonHasOneCellForDrawingAndForTheMouse) {
  struct Cell {
    int16_t index;
    Rect rect;  // relative to x0, y0
  };
  const Cell cells[] = {
      {0, {13, 1, 38, 26}},  {1, {13, 27, 38, 52}},  {2, {0, 1, 12, 52}},  {3, {13, 53, 38, 78}},
      {4, {13, 79, 38, 102}}, {5, {0, 53, 12, 78}},  {6, {0, 79, 12, 102}}, {7, {0, 105, 12, 130}},
  };
  for (const Cell& c : cells) {
    Rect r = GetToolButtonRect(c.index);
    EXPECT_EQ(r.top - kY0, c.rect.top) << c.index;
    EXPECT_EQ(r.left - kX0, c.rect.left) << c.index;
    EXPECT_EQ(r.bottom - kY0, c.rect.bottom) << c.index;
    EXPECT_EQ(r.right - kX0, c.rect.right) << c.index;
    // The mouse finds the button in every corner of its cell and not one pixel outside it.
    for (Point p : {Point{r.top, r.left}, Point{int16_t(r.bottom - 1), int16_t(r.right - 1)}})
      EXPECT_EQ(HitTestToolButtons(p, 8), c.index) << c.index;
  }
  EXPECT_EQ(HitTestToolButtons(Point{int16_t(kY0 + 20), int16_t(kX0 + 26)}, 8), -1);  // between 0 and 1
  EXPECT_EQ(HitTestToolButtons(Point{int16_t(kY0 + 12), int16_t(kX0 + 5)}, 8), -1);   // between the rows
}

TEST_F(ToolbarTest, TheMouseFindsTheToolbarAreas) {
  struct Case {
    int16_t dy, dx;
    ToolbarArea area;
  };
  const Case cases[] = {
      {5, 0, kOutsideToolbar},    {39, 50, kOutsideToolbar},   {-1, 50, kOutsideToolbar},
      {5, 1, kToolBlockArea},     {30, 102, kToolBlockArea},   {30, 103, kToolbarBackground},
      {5, 160, kToolbarBackground}, {13, 157, kModeSettingArea}, {38, 182, kModeSettingArea},
      {13, 183, kStateIconArea},  {38, 207, kStateIconArea},  {20, 208, kToolbarBackground},
      {20, 536, kToolbarBackground}, {20, 537, kOutsideToolbar},
  };
  for (const Case& c : cases)
    EXPECT_EQ(HitTestToolbar(Point{int16_t(kY0 + c.dy), int16_t(kX0 + c.dx)}), c.area) << c.dy << " " << c.dx;
}

TEST_F(ToolbarTest, StateIconsShowTheBitsOfTheGridWord) {
  static uint32_t word = 0;
  SetGridFlagsSource([]() -> uint32_t { return word; });
  for (uint32_t w : {0u, 0x100u, 0x200u, 0x400u, 0x800u}) {
    word = w;
    DrawToolbarFields(false);
    for (int32_t bit = 8; bit < 12; ++bit) {
      Rect r = GetStateIconRect(bit);
      Rect inside{int16_t(r.top + 1), int16_t(r.left + 1), int16_t(r.bottom - 1), int16_t(r.right - 1)};
      int area = (inside.right - inside.left) * (inside.bottom - inside.top);
      EXPECT_EQ(Ink(inside) > area / 2, (w >> bit) & 1) << std::hex << w << " bit " << std::dec << bit;
    }
  }
  // Triplet and dotted in the left column, quintuplet and septuplet right of them.
  EXPECT_EQ(GetStateIconRect(8).left - kX0, 183);
  EXPECT_EQ(GetStateIconRect(9).top - kY0, 26);
  EXPECT_EQ(GetStateIconRect(11).left - kX0, 196);
}

TEST_F(ToolbarTest, ProgramPatchVolumeAndPanFieldsShowTheTracksValuesAndFollowChanges) {
  ASSERT_EQ(noErr, CreateInstrumentTable(2, 0));
  WriteU16BE(gCurrentTrack + kTrackInstruments, uint16_t(1 << 8));  // instrument 1
  uint8_t* inst = GetInstrumentRecord(1);
  Str255 text;
  inst[kInstProgram] = 0xFF;  // none
  GetProgramFieldText(text);
  EXPECT_EQ(Text(text), "");
  inst[kInstProgram] = 5;
  GetProgramFieldText(text);
  EXPECT_EQ(Text(text), "5");
  inst[kInstOptions] |= kInstOptionProgramsFromOne;
  GetProgramFieldText(text);
  EXPECT_EQ(Text(text), "5");  // counted from one only for a track that plays its instrument
  gCurrentTrack[kTrackFlags] |= kTrackFlagPlaysInstrument;
  GetProgramFieldText(text);
  EXPECT_EQ(Text(text), "6");
  gCurrentTrack[kTrackProgram] = 7;
  GetPatchFieldText(text);
  EXPECT_EQ(Text(text), "007");
  gCurrentTrack[kTrackProgram] = 0x80;
  GetPatchFieldText(text);
  EXPECT_EQ(Text(text), "");
  // Volume and pan at x0 + 487: drawn for a track that plays its instrument, redrawn on change.
  Rect numbers{int16_t(kY0 + 12), int16_t(kX0 + 487), int16_t(kY0 + 39), int16_t(kX0 + 511)};
  WriteU16BE(inst + kInstVolume, 1);
  inst[kInstPan] = 1;
  DrawToolbarFields(false);
  int narrow = Ink(numbers);
  EXPECT_GT(narrow, 0);
  WriteU16BE(inst + kInstVolume, 127);
  inst[kInstPan] = 100;
  DrawToolbarFields(false);
  EXPECT_GT(Ink(numbers), narrow);  // three digits where there was one, the old ones erased
  gCurrentTrack[kTrackFlags] &= uint8_t(~kTrackFlagPlaysInstrument);
  EraseRect(&numbers);
  DrawToolbarFields(false);
  EXPECT_EQ(Ink(numbers), 0);
}

TEST_F(ToolbarTest, StatusLinesShowWarningAndAtMostThreeTexts) {
  gEditorLayout.toolbar.right = 200;
  gAudioStatusWord = 0x1F;
  gCurrentViewMode = 9;  // the audio view: the frozen-track line is never shown here
  EXPECT_EQ(GetShownAudioStatus(), 0x1B);
  DrawAudioStatusLines();
  SetSmallTextFont();
  FontInfo info;
  GetFontInfo(&info);
  RestoreDefaultTextFont();
  int16_t line = int16_t(info.ascent + info.descent);
  // Three lines of text and nothing below the third.
  Rect lines{int16_t(10 - info.ascent), 230, int16_t(10 + 2 * line + info.descent), 600};
  EXPECT_GT(InkedRows(lines), 3 * line / 2);
  Rect below{int16_t(10 + 2 * line + info.descent + 1), 230, kAboveHeaders, 600};
  EXPECT_EQ(Ink(below), 0);
  // "Warning:" in red on the first line only.
  Rect first{int16_t(10 - info.ascent), 230, int16_t(10 + info.descent), 600};
  Rect rest{int16_t(10 + info.descent + 1), 230, kAboveHeaders, 600};
  EXPECT_GT(Count(first, 0xFF0000) + Count(first, 0xDD0806), 0);
  EXPECT_EQ(Count(rest, 0xFF0000) + Count(rest, 0xDD0806), 0);
}

TEST_F(ToolbarTest, TheFrozenLineFollowsTheShownTrackNotTheEngine) {
  gAudioStatusWord = kAudioStatusTrackFrozen;
  gCurrentViewMode = 0;
  gCurrentTrack[kTrackOutputFlags] |= kTrackOutputSecondRegions;
  EXPECT_EQ(GetShownAudioStatus(), kAudioStatusTrackFrozen);
  gCurrentTrack[kTrackOutputFlags] &= uint8_t(~kTrackOutputSecondRegions);
  EXPECT_EQ(GetShownAudioStatus(), 0);  // the engine's bit stays set
  EXPECT_EQ(gAudioStatusWord.load(), kAudioStatusTrackFrozen);
  gEditorLayout.toolbar.right = 200;
  DrawAudioStatusLines();
  EXPECT_EQ(Ink(Rect{0, 230, kAboveHeaders, 600}), 0);
  gAudioStatusWord = 0;
  gCurrentTrack[kTrackOutputFlags] |= kTrackOutputSecondRegions;
  EXPECT_EQ(GetShownAudioStatus(), kAudioStatusTrackFrozen);  // a frozen track shows even so
}

}  // namespace
}  // namespace editors_test
