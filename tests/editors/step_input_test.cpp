// MIDI step input from a virtual source: the notes played enter the current track at the
// insertion point with the note value's length, the insertion point advances once when the
// whole chord is released, and the last step can be taken back.
#include "editors/follow/step_input.h"

#include "editors/editor_key_routes.h"
#include "editors/note_entry/grid_snapping.h"
#include "editors/note_entry/note_pencil.h"
#include "editors/note_entry/note_values.h"
#include "song/conductor/conductor_map.h"

#include <chrono>
#include <thread>
#include <vector>

#include "platform/coremidi/midi_services.h"
#include "platform/memory/memory.h"
#include "sequencer/midi/coremidi_driver.h"
#include "sequencer/midi/midi_input.h"
#include "sequencer/midi/realtime_processors.h"
#include "song/conductor/timebase.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/track_entries.h"
#include "song/model/utility_track_access.h"
#include "tests/sequencer/midi/midi_fixture.h"

namespace {

int32_t gStepTicks = 480;

struct EnteredNote {
  uint32_t tick;
  uint8_t pitch;
  uint16_t duration;
  bool operator==(const EnteredNote&) const = default;
};

class StepInputTest : public MidiTest {
 protected:
  void SetUp() override {
    MidiTest::SetUp();
    ResetSongDatabase();
    SelectTrackNumber(1);
    if (!HasValidCurrentTrack()) {
      ASSERT_EQ(noErr, AddTrackEntry(kTrackEntrySize));
    }
    ASSERT_EQ(noErr, EnsureTrackEventList());
    ASSERT_EQ(noErr, MIDISourceCreate(gMidiDriver.client, CFSTR("Keys"), &source_));
    DisconnectMidiSources();
    SetMidiInput(0, GetEndpointUniqueID(source_));
    ASSERT_EQ(noErr, ConnectMidiSources());
    ResetStepInput();
    gStepCounter = 0;
    // Only the note value is the test's own; the swing and lengths follow it.
    gStepInputHooks = StepInputHooks();
    gStepInputHooks.noteValueTicks = [] { return gStepTicks; };
  }
  void TearDown() override {
    gStepInputHooks = StepInputHooks();
    if (source_) MIDIEndpointDispose(source_);
    MidiTest::TearDown();
  }
  void Send(std::initializer_list<uint8_t> bytes) {
    alignas(8) Byte buffer[256];
    auto* list = reinterpret_cast<MIDIPacketList*>(buffer);
    std::vector<uint8_t> data(bytes);
    MIDIPacketListAdd(list, sizeof buffer, MIDIPacketListInit(list), 0, data.size(), data.data());
    ASSERT_EQ(noErr, MIDIReceived(source_, list));
  }
  // Polls as the idle pass does until n notes were entered (at most two seconds).
  int32_t PollFor(int32_t n) {
    int32_t entered = 0;
    for (int i = 0; i < 1000 && entered < n; ++i) {
      entered += PollStepInput();
      if (entered < n) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return entered;
  }
  // Polls until the insertion point reaches tick (at most two seconds).
  void PollUntilAt(uint32_t tick) {
    for (int i = 0; i < 1000 && gTimeSelection.start.tick != tick; ++i) {
      PollStepInput();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  std::vector<EnteredNote> Notes() {
    std::vector<EnteredNote> out;
    Handle list = GetCurrentTrackEventList();
    const uint8_t* e = reinterpret_cast<const uint8_t*>(HandleData(list));
    Size size = GetHandleSize(list);
    for (Size at = 0; at + kLongEventSize <= size && SeqEventTime(e + at) != 0;) {
      uint32_t n = SeqEventLengthWithin(e + at, uint32_t(size - at));
      if (n == 0) break;
      if (SeqEventKind(e + at) == kKindNote) out.push_back({SeqEventTime(e + at), e[at + kEventData1], GetNoteDuration(e + at)});
      at += n;
    }
    return out;
  }
  MIDIEndpointRef source_ = 0;
};

TEST_F(StepInputTest, NotesEnterAtTheInsertionPointWhichAdvancesByTheNoteValue) {
  // Quarter, eighth and sixteenth triplet in 4/4 at 480; a dotted quarter as in 6/8; an odd
  // value.
  const int32_t values[] = {480, 240, 80, 720, 97};
  uint32_t at = 1;
  std::vector<EnteredNote> expected;
  gTimeSelection.start.tick = gTimeSelection.end.tick = at;
  uint8_t pitch = 60;
  for (int32_t value : values) {
    gStepTicks = value;
    Send({0x90, pitch, 100});
    ASSERT_EQ(1, PollFor(1)) << value;
    EXPECT_EQ(at, gTimeSelection.start.tick) << "the insertion point waits for the release";
    Send({0x80, pitch, 0});
    PollUntilAt(at + uint32_t(value));
    EXPECT_EQ(at + uint32_t(value), gTimeSelection.start.tick) << value;
    expected.push_back({at, pitch, uint16_t(value)});
    at += uint32_t(value);
    ++pitch;
  }
  EXPECT_EQ(expected, Notes());
  EXPECT_EQ(uint16_t(std::size(values)), gStepCounter);
}

// With the editors' own note value: eighths at 480 swung 66 move the odd steps 77 ticks late,
// and each note lasts its swung step at the tool bar's length percentage.
TEST_F(StepInputTest, StepsFollowTheSwingAndNotesTheLengthPercentage) {
  InstallEditorKeyRoutes();
  gTicksPerQuarter = 480;
  ApplyTimebase();
  SetTimeSignature(4, 4);
  ASSERT_EQ(noErr, SetMeterAt(1));
  ResetNoteValues();
  NoteValueKey(3);
  gGridOriginTick = 0;
  gSwingPercent = 66;
  gNoteLengthPercent = 50;
  gTimeSelection.start.tick = gTimeSelection.end.tick = 1;
  const uint32_t next[] = {318, 481, 798};
  uint8_t pitch = 60;
  for (uint32_t at : next) {
    Send({0x90, pitch, 100, 0x80, pitch, 0});
    PollUntilAt(at);
    EXPECT_EQ(at, gTimeSelection.start.tick);
    ++pitch;
  }
  EXPECT_EQ((std::vector<EnteredNote>{{1, 60, 158}, {318, 61, 81}, {481, 62, 158}}), Notes());
  gSwingPercent = 50;
  gNoteLengthPercent = kDefaultNoteLengthPercent;
}

TEST_F(StepInputTest, AChordAdvancesOnceWhenItsLastKeyIsReleasedAndIsTakenBackWhole) {
  gStepTicks = 480;
  gTimeSelection.start.tick = gTimeSelection.end.tick = 961;
  Send({0x90, 60, 100});
  ASSERT_EQ(1, PollFor(1));
  Send({0x90, 64, 90, 0x90, 67, 80});
  ASSERT_EQ(2, PollFor(2));
  Send({0x80, 60, 0, 0x80, 64, 0});
  for (int i = 0; i < 20; ++i) PollStepInput();
  EXPECT_EQ(961u, gTimeSelection.start.tick) << "one key of the chord is still held";
  Send({0x90, 67, 0});  // a note-on of velocity 0 releases too
  PollUntilAt(1441);
  EXPECT_EQ(1441u, gTimeSelection.start.tick);
  EXPECT_EQ((std::vector<EnteredNote>{{961, 60, 480}, {961, 64, 480}, {961, 67, 480}}), Notes());

  // The next step, then the take-back removes exactly that step.
  Send({0x90, 72, 100, 0x80, 72, 0});
  PollUntilAt(1921);
  ASSERT_EQ(4u, Notes().size());
  UndoLastStep();
  EXPECT_EQ((std::vector<EnteredNote>{{961, 60, 480}, {961, 64, 480}, {961, 67, 480}}), Notes());
  EXPECT_EQ(1441u, gTimeSelection.start.tick) << "the insertion point returns to the step taken back";
  EXPECT_EQ(0, gStepCounter);
}

TEST_F(StepInputTest, TakeBackStillWorksAfterMoreThan256Steps) {
  gStepTicks = 10;
  gTimeSelection.start.tick = gTimeSelection.end.tick = 1;
  gStepCounter = 300;  // as after 300 steps
  Send({0x90, 50, 100, 0x80, 50, 0});
  PollUntilAt(11);
  ASSERT_EQ(1u, Notes().size());
  UndoLastStep();
  EXPECT_TRUE(Notes().empty());
}

TEST_F(StepInputTest, AReleaseOfAKeyHeldBeforeStepInputDoesNotStallIt) {
  gStepTicks = 480;
  gTimeSelection.start.tick = gTimeSelection.end.tick = 1;
  Send({0x80, 40, 0});  // its note-on came before the reset
  Send({0x90, 60, 100, 0x80, 60, 0});
  PollUntilAt(481);
  EXPECT_EQ(481u, gTimeSelection.start.tick);
}

}  // namespace
