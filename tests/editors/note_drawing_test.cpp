// Notes drawn where the time axis and the pitch rows say, in their channel colours, with
// stems, repeats and the pane's drawing cache; read back from a GWorld.
#include "editors/note_drawing/bent_notes.h"
#include "editors/note_drawing/event_labels.h"
#include "editors/note_drawing/note_boxes.h"
#include "editors/note_drawing/track_note_walk.h"
#include "song/model/track_sections.h"
#include "editors/panes/pane_stack.h"
#include "editors/timeline/timeline_axis.h"
#include "platform/memory/memory.h"
#include "platform/quickdraw/quickdraw.h"
#include "shell/base/arithmetic.h"
#include "shell/base/event_records.h"
#include "shell/drawing/row_metrics.h"
#include "shell/drawing/screen_bounds.h"
#include "shell/drawing/text_drawing.h"
#include "shell/windows/editor_panes.h"
#include "song/events/data_events.h"
#include "song/instruments/instrument_table.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/track_selection.h"
#include "song/model/window_redraw.h"
#include "song/model/utility_track_access.h"
#include "tests/editors/pane_fixture.h"

namespace editors_test {
namespace {

// Pitches across the visible octaves, times across the window, on several channels.
const std::vector<Note> kNotes = {
    {1, 79, 80, 0},     {161, 72, 240, 1},  {401, 67, 16, 2},  {801, 60, 0, 3},
    {1201, 55, 400, 4}, {2001, 50, 96, 9},  {2401, 48, 200, 0}, {3601, 81, 120, 15},
};

class NoteDrawingTest : public PaneDrawingTest {
 protected:
  // The note's colour inside its box, and no note colour just right of it or in its row far away.
  void ExpectNoteAt(const Note& n, uint32_t colour, bool clearAbove = true) {
    const int16_t pane = 0;
    Rect r = ExpectedNoteRect(n, pane);
    SCOPED_TRACE(testing::Message() << "note at " << n.tick << " pitch " << int(n.pitch));
    EXPECT_EQ(Count(r, colour), (r.right - r.left) * (r.bottom - r.top));
    Rect after{r.top, int16_t(r.right + 1), r.bottom, int16_t(r.right + 3)};
    EXPECT_EQ(Count(after, colour), 0);
    Rect above{int16_t(r.top - 1), r.left, r.top, r.right};
    if (clearAbove) EXPECT_EQ(Count(above, colour), 0);
  }
};

TEST_F(NoteDrawingTest, NotesLieWhereTheAxisAndRowsPutThem) {
  AddTrack(0, NoteRecords(kNotes));
  AddPane(0, 48);  // pitch 95 at the top
  for (int16_t level : {3, 2}) {
    gZoomLevel = level;
    Draw();
    for (const Note& n : kNotes) {
      if (ExpectedNoteRect(n, 0).right >= 600 - 16) continue;
      ExpectNoteAt(n, Rgb(gChannelColors[n.channel]));
    }
  }
  // One colour for all: plain notes in entry 0.
  gDrawPrefs = kDrawPrefsOneNoteColour;
  Draw();
  ExpectNoteAt(kNotes[3], Rgb(gChannelColors[kPlainNoteColour]));
  ExpectNoteAt(kNotes[4], Rgb(gChannelColors[kPlainNoteColour]));
  gDrawPrefs = 0;
}

TEST_F(NoteDrawingTest, ANoteReachingIntoTheViewIsDrawnAndOneEndingBeforeIsNot) {
  std::vector<Note> notes = {{1, 72, 800}, {41, 60, 100}, {900, 67, 40}};
  AddTrack(0, NoteRecords(notes));
  AddPane(0, 48);
  gTimelineLeftTick = 401;
  Draw();
  Rect reaching = ExpectedNoteRect(notes[0], 0);
  reaching.left = gTimelineFrame.originX;
  EXPECT_GT(Count(reaching, Rgb(gChannelColors[0])), 0);
  Rect ended = ExpectedNoteRect(notes[1], 0);
  ended.left = 0;
  ended.right = 600;
  EXPECT_EQ(Count(ended, Rgb(gChannelColors[0])), 0);
  ExpectNoteAt(notes[2], Rgb(gChannelColors[0]));
}

TEST_F(NoteDrawingTest, ScrollingBackFindsNotesBehindTheRememberedStart) {
  std::vector<Note> notes = {{81, 72, 40}, {1601, 67, 40}, {1801, 60, 40}};
  AddTrack(0, NoteRecords(notes));
  AddPane(0, 48);
  gTimelineLeftTick = 1001;  // the walk remembers the note at 1601
  Draw();
  ExpectNoteAt(notes[1], Rgb(gChannelColors[0]));
  gTimelineLeftTick = 1;  // nothing else changed: no redraw flag, same list size
  Draw();
  ExpectNoteAt(notes[0], Rgb(gChannelColors[0]));
  ExpectNoteAt(notes[1], Rgb(gChannelColors[0]));
  // A move that keeps the list's size, announced by the model.
  uint8_t* first = reinterpret_cast<uint8_t*>(HandleData(TrackEntryView(gCurrentTrack).EventList()));
  SetSeqEventTime(first, 161);
  MarkEditorPanesDirty();
  Draw();
  ExpectNoteAt(Note{161, 72, 40}, Rgb(gChannelColors[0]));
}

TEST_F(NoteDrawingTest, AfterEveryScrollThePaneShowsWhatAWalkFromTheHeadShows) {
  // Long notes (sounding into the view from left of it) between short ones, with
  // 8-byte controllers between them, so that stepping back crosses records of both lengths.
  std::vector<uint8_t> bytes;
  for (int32_t i = 0; i < 400; ++i) {
    size_t at = bytes.size();
    bool longNote = i % 25 == 0;
    bytes.resize(at + kLongEventSize);
    FillLongEvent(&bytes[at], uint32_t(1 + i * 150), uint8_t(0x90 | (i % 4)), uint8_t(longNote ? 84 : 60 + i % 20), 90,
                  uint16_t(longNote ? 3000 : 40 + i % 90));
    at = bytes.size();
    bytes.resize(at + kShortEventSize);
    FillShortEvent(&bytes[at], uint32_t(2 + i * 150), 0xB0, 7, uint8_t(i % 128));
  }
  bytes.resize(bytes.size() + kEndRecordSize, 0);
  AddTrack(0, bytes);
  AddPane(0, 48);
  HideBarAndGridLines();
  auto picture = [this]() {
    std::vector<uint32_t> pixels;
    for (int32_t pitch = 60; pitch <= 84; ++pitch) {
      int16_t y = int16_t(ExpectedNoteRect(Note{1, uint8_t(pitch), 1}, 0).top + 1);
      for (int32_t x = gTimelineFrame.originX; x < 600 - 16; ++x) pixels.push_back(Pixel(x, y));
    }
    return pixels;
  };
  // Right, a little left, far left past the start of a long note, a jump right, back to 1.
  for (int32_t left : {20001, 26001, 25001, 9001, 51001, 1}) {
    SCOPED_TRACE(testing::Message() << "left tick " << left);
    gTimelineLeftTick = left;
    Draw();
    std::vector<uint32_t> scrolled = picture();
    gEditorPanes[0].editorData[kPaneRedrawFlag] = 1;  // the next walk starts at the head
    Draw();
    EXPECT_EQ(scrolled, picture());
    Draw();  // so that the next scroll starts from the remembered event again
  }
}

TEST_F(NoteDrawingTest, ShortAndDamagedRecordsKeepTheWalkInStep) {
  std::vector<uint8_t> bytes = NoteRecords({{41, 72, 40}});
  bytes.resize(bytes.size() - kEndRecordSize);
  size_t at = bytes.size();
  bytes.resize(at + kShortEventSize);
  FillShortEvent(&bytes[at], 81, 0xB0, 7, 100);  // an 8-byte controller between the notes
  std::vector<uint8_t> rest = NoteRecords({{161, 60, 40}});
  bytes.insert(bytes.end(), rest.begin(), rest.end() - kEndRecordSize);
  at = bytes.size();
  bytes.resize(at + 24);
  FillVariableEvent(&bytes[at], 201, 24);
  WriteU32BE(&bytes[at + kEventVariableLength], 4000);  // a stored length past the list
  bytes.resize(bytes.size() + kEndRecordSize, 0);
  AddTrack(0, bytes);
  AddPane(0, 48);
  Draw();
  ExpectNoteAt(Note{41, 72, 40}, Rgb(gChannelColors[0]));
  ExpectNoteAt(Note{161, 60, 40}, Rgb(gChannelColors[0]));
}

TEST_F(NoteDrawingTest, ExtremeZoomsKeepBoxesInsideTheCoordinateRange) {
  std::vector<Note> notes = {{1, 72, 65535}, {0x7ff00000, 60, 65535}};
  AddTrack(0, NoteRecords(notes));
  AddPane(0, 48);
  for (int16_t level : {0, 1, 20, 31, 40}) {
    gZoomLevel = level;
    gTimelineLeftTick = 0x40000000;
    Draw();
    for (const Note& n : notes) {
      ComputeNoteRect(NoteRecords({n}).data());
      EXPECT_GE(gNoteRect.left, -kQDCoordLimit);
      EXPECT_LE(gNoteRect.right, kQDCoordLimit + 2);
      EXPECT_LE(gNoteRect.left, gNoteRect.right);
    }
  }
  gZoomLevel = 0;
  gTimelineLeftTick = 1;
  ComputeNoteRect(NoteRecords({notes[1]}).data());
  EXPECT_EQ(gNoteRect.left, kQDCoordLimit);
}

TEST_F(NoteDrawingTest, NarrowNotesAndVelocityStems) {
  std::vector<Note> notes = {{81, 72, 0, 0, 127}, {401, 60, 0, 0, 3}, {801, 67, 80, 0, 64}};
  AddTrack(0, NoteRecords(notes));
  AddPane(0, 48);
  gShowVelocity = 1;
  Draw();
  uint32_t ink = Rgb(gChannelColors[0]);
  struct { const Note& note; int stem; } cases[] = {{notes[0], 31}, {notes[1], 0}, {notes[2], 16}};
  for (auto c : cases) {
    Rect r = ExpectedNoteRect(c.note, 0);
    EXPECT_GE(r.right - r.left + 1, 3);
    ExpectNoteAt(c.note, ink, false);
    Rect stem{int16_t(r.top - c.stem), r.left, r.top, int16_t(r.left + 1)};
    EXPECT_EQ(Count(stem, ink), c.stem) << c.note.velocity;
    Rect beyond{int16_t(r.top - c.stem - 2), r.left, int16_t(r.top - c.stem), int16_t(r.left + 1)};
    EXPECT_EQ(Count(beyond, ink), 0) << c.note.velocity;
  }
}

TEST_F(NoteDrawingTest, SelectedNotesAreHollowWithoutColourAndPatternTracksRepeatAsGhosts) {
  std::vector<Note> notes = {{1, 72, 80, 0, 64, true}, {201, 60, 80, 0, 64, false}};
  AddTrack(0, NoteRecords(notes));
  // Select the track so that its selected events show as selected.
  SelectTrackSlot(0);
  AddPane(0, 48);
  gScreenDepthIndex = 2;
  Draw();
  Rect r = ExpectedNoteRect(notes[0], 0);
  EXPECT_EQ(Pixel(r.left + 3, r.top + 1), 0xFFFFFFu);  // hollow
  EXPECT_EQ(Pixel(r.left, r.top), 0x000000u);           // framed
  gScreenDepthIndex = kColourScreenLevel;
  // A pattern of 400 ticks (length 401) repeats every 400 ticks up to the song end.
  gCurrentTrack[kTrackFlags] |= kTrackFlag40;
  TrackEntryView(gCurrentTrack).SetTickLength(401);
  WriteU32BE(gCurrentSong + kSongEndTick, 1201);
  Draw();
  for (uint32_t repeat : {400u, 800u}) ExpectNoteAt(Note{201 + repeat, 60, 80}, Rgb(gGhostColor));
  ExpectNoteAt(notes[1], Rgb(gChannelColors[0]));
  Rect past = ExpectedNoteRect(Note{201 + 1200, 60, 80}, 0);
  EXPECT_GT(Count(past, Rgb(gGhostColor)), 0) << "the longest track loops: the repeats go on past the song end";
  // With a longer track that does not loop, the repeats stop at the song end.
  AddTrack(1, NoteRecords({}));
  TrackEntryView(gCurrentTrack).SetTickLength(2001);
  SelectTrackNumber(0);
  Draw();
  for (uint32_t repeat : {400u, 800u}) ExpectNoteAt(Note{201 + repeat, 60, 80}, Rgb(gGhostColor));
  EXPECT_EQ(Count(past, Rgb(gGhostColor)), 0);  // not past the song end
}

TEST_F(NoteDrawingTest, EventsInsideASectionAreGhostsAndOthersPlain) {
  std::vector<Note> notes = {{201, 72, 80, 1}, {481, 67, 80, 1}, {881, 60, 80, 1}};
  AddTrack(0, NoteRecords(notes));
  gCurrentTrack[kTrackFlags] |= kTrackFlag40;
  Handle sections = NewHandleClear(kSectionHeaderBytes + 2 * kSectionEntryBytes);
  uint8_t* entry = reinterpret_cast<uint8_t*>(HandleData(sections)) + kSectionHeaderBytes;
  WriteU32BE(entry + 4, 401);  // start
  WriteU32BE(entry + 8, 801);  // end: the section holds ticks 401..800
  TrackEntryView(gCurrentTrack).SetSectionList(sections);
  WriteU32BE(gCurrentSong + kSongEndTick, 1921);  // the walk stops at the song end
  AddPane(0, 48);
  Draw();
  ExpectNoteAt(notes[0], Rgb(gChannelColors[1]));
  ExpectNoteAt(notes[1], Rgb(gGhostColor));
  ExpectNoteAt(notes[2], Rgb(gChannelColors[1]));
  TrackEntryView(gCurrentTrack).SetSectionList(Handle());
  DisposeHandle(sections);
}

TEST_F(NoteDrawingTest, SysExLabelsStandAtTheFootOfThePaneWhileShown) {
  std::vector<uint8_t> bytes(DataEventSize(3));
  const uint8_t data[3] = {0x7E, 0x01, 0xF7};
  FillDataEvent(bytes.data(), 801, data, 3);
  bytes.resize(bytes.size() + kEndRecordSize, 0);
  AddTrack(0, bytes);
  AddPane(0, 48);
  gNoteRowStyle = kNoRowLines;  // a clean background around the label
  Rect pane;
  GetPaneContentRect(0, &pane);
  int16_t x = int16_t(gTimelineFrame.originX + (800 >> gZoomLevel));
  Rect foot{int16_t(pane.bottom - 12), int16_t(x + 2), int16_t(pane.bottom - 7), int16_t(x + 9)};
  Rect label{pane.top, int16_t(x), int16_t(pane.bottom - 11), int16_t(x + 12)};
  for (uint8_t shown : {1, 0}) {
    gShowSysExLabels = shown;
    Draw();
    EXPECT_EQ(Pixel(foot.left, foot.top + 2), shown ? 0u : 0xFFFFFFu);        // the foot's frame
    EXPECT_EQ(Pixel(label.left, (label.top + label.bottom) / 2), shown ? 0u : 0xFFFFFFu);
    EXPECT_EQ(Pixel(label.right - 1, (label.top + label.bottom) / 2), shown ? 0u : 0xFFFFFFu);
    EXPECT_EQ(Pixel(label.left - 2, (label.top + label.bottom) / 2), 0xFFFFFFu);  // nothing left of it
  }
  gShowSysExLabels = 1;
}

TEST_F(NoteDrawingTest, ASequenceBlockSpansItsLengthOnItsRow) {
  std::vector<uint8_t> bytes(kLongEventSize);
  FillLongEvent(bytes.data(), 401, kKindSequenceRef, 0, 0, 0);
  SetEventLongDuration(bytes.data(), 800);
  bytes.resize(bytes.size() + kEndRecordSize, 0);
  AddTrack(0, bytes);
  AddPane(0, 0);  // the first row of blocks lies at the timeline's top
  gNoteRowStyle = kNoRowLines;
  HideBarAndGridLines();
  Draw();
  int16_t left = int16_t(gTimelineFrame.originX + (400 >> gZoomLevel));
  int16_t right = int16_t(gTimelineFrame.originX + (1200 >> gZoomLevel));
  int16_t top = gTimelineFrame.top, bottom = int16_t(top + gStandardLineHeight + 2);
  int16_t middle = int16_t((top + bottom) / 2);
  EXPECT_EQ(Pixel(left, middle), 0u);       // framed from its start
  EXPECT_EQ(Pixel(right - 1, middle), 0u);  // to its end
  EXPECT_NE(Pixel(left - 1, middle), 0u);
  EXPECT_NE(Pixel(right, middle), 0u);
  int16_t glyphMiddle = int16_t(top + (gStandardLineHeight - 9) / 2 + 5);
  EXPECT_EQ(Pixel(left + 5, glyphMiddle), 0u);        // the start mark
  EXPECT_EQ(Pixel(right - 10 + 5, glyphMiddle), 0u);  // the end mark, 10 pixels before the end
  Rect bar{int16_t(top + 3), int16_t(right - 30), int16_t(bottom - 3), int16_t(right - 13)};
  EXPECT_EQ(Count(bar, Rgb(gChannelColors[kSequenceBlockColour])), (bar.right - bar.left) * (bar.bottom - bar.top));
}

TEST_F(NoteDrawingTest, BentNotesFollowTheBendColumnsInSegments) {
  Note n{81, 67, 320, 0};  // 40 pixels at level 3
  AddTrack(0, NoteRecords({n}));
  AddPane(0, 48);
  gNoteRowStyle = kNoRowLines;
  gCurrentTrack[kTrackOutputFlags] |= kTrackBendDisplay;
  Rect box = ExpectedNoteRect(n, 0);
  uint32_t ink = Rgb(gChannelColors[0]);
  Draw();  // no bend columns: a line on the note's row up to the pixel before the note's end
  EXPECT_EQ(Count(box, ink), (box.right - box.left) * (box.bottom - box.top));
  EXPECT_EQ(Count(Rect{box.top, box.right, box.bottom, int16_t(box.right + 2)}, ink), 0);
  // The second half of the note bent fully down by a bend event of the track (the pane builds
  // its bend columns from the track's bends): that segment starts a pixel further on and lies
  // the whole bend range lower.
  gDesktopBounds = Rect{0, 0, 700, 800};
  int32_t half = (box.left + box.right) / 2 - gTimelineFrame.originX;
  std::vector<uint8_t> bytes = NoteRecords({n});
  bytes.resize(bytes.size() - kEndRecordSize);
  bytes.resize(bytes.size() + kShortEventSize + kEndRecordSize, 0);
  FillShortEvent(&bytes[bytes.size() - kShortEventSize - kEndRecordSize],
                 uint32_t(XToTime(gTimelineFrame.originX + half)), 0xE0, 0, 0);
  AddTrack(0, bytes);
  Draw();
  int32_t range = BendOffsetAt(half, MulDivRound(gOctaveHeight, GetCurrentPitchBendRange(), 12));
  ASSERT_GT(range, gNoteMetric);
  int16_t x = int16_t(gTimelineFrame.originX + half);
  EXPECT_EQ(Pixel(x - 1, box.top), ink);
  EXPECT_NE(Pixel(x, box.top), ink);      // the gap where the offset changes
  EXPECT_NE(Pixel(x, box.top + range), ink);
  EXPECT_EQ(Pixel(x + 1, box.top + range), ink);
  EXPECT_NE(Pixel(x + 1, box.top), ink);
  // Switched off again: boxes.
  ToggleBendDisplay();
  Draw();
  ExpectNoteAt(n, ink);
}

TEST(SequenceBlockHitTest, MarksAndBodyByTheMouse) {
  const Rect block{100, 50, 114, 150};
  struct { int16_t h, v, part; } cases[] = {
      {50, 105, kBlockStartMark}, {60, 105, kBlockStartMark}, {61, 105, kBlockBody},
      {139, 105, kBlockBody},     {140, 105, kBlockEndMark},  {149, 113, kBlockEndMark},
      {150, 105, kOutsideBlock},  {49, 105, kOutsideBlock},   {80, 114, kOutsideBlock}};
  for (auto c : cases) {
    gLastMousePoint = Point{c.v, c.h};
    EXPECT_EQ(HitTestSequenceBlock(false, block), c.part) << c.h << "," << c.v;
  }
}

}  // namespace
}  // namespace editors_test
