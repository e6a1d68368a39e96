// Shared set-up of the clipboard and paste tests: a song in memory whose tracks take event
// lists written as small tables, the editing state an Edit command starts from (note
// context, all tracks selected, initial paste options), and readers of a track's events.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "editing/edit_context.h"
#include "editing/event_clipboard.h"
#include "editing/event_filters.h"
#include "editing/paste_options.h"
#include "editors/timeline/click_state.h"
#include "song/events/time_selection.h"
#include "tests/song/undo/undo_fixture.h"

namespace clip_test {

// One event: time, status, data1, data2 (velocity), duration or long length.
struct Ev {
  uint32_t time;
  uint8_t status;
  uint8_t d1 = 60;
  uint8_t d2 = 64;
  uint32_t length = 0;
  bool operator==(const Ev& o) const {
    return std::tie(time, status, d1, d2, length) == std::tie(o.time, o.status, o.d1, o.d2, o.length);
  }
};

inline std::ostream& operator<<(std::ostream& out, const Ev& e) {
  return out << "{" << e.time << ", 0x" << std::hex << int(e.status) << std::dec << ", " << int(e.d1)
             << ", " << int(e.d2) << ", " << e.length << "}";
}

inline Ev Note(uint32_t t, uint32_t duration, uint8_t note = 60, uint8_t velocity = 64) {
  return {t, 0x90, note, velocity, duration};
}
// A sequence reference to child cell n.
inline Ev Reference(uint32_t t, uint32_t length, int n = 0) {
  return {t, 0x50, uint8_t(n * 4), 0, length};
}

inline std::vector<uint8_t> Bytes(const std::vector<Ev>& events) {
  std::vector<uint8_t> bytes;
  for (const Ev& e : events) {
    size_t at = bytes.size();
    if (GetEventLengthByKind(e.status) == kShortEventSize) {
      bytes.resize(at + kShortEventSize);
      FillShortEvent(&bytes[at], e.time, e.status, e.d1, e.d2);
    } else if ((e.status & 0xF0) == kKindSequenceRef) {
      bytes.resize(at + kLongEventSize);
      FillLongEvent(&bytes[at], e.time, e.status, 0, 0, 0);
      WriteU16BE(&bytes[at] + kEventChildIndex, e.d1);
      SetEventLongDuration(&bytes[at], e.length);
    } else {
      bytes.resize(at + kLongEventSize);
      FillLongEvent(&bytes[at], e.time, e.status, e.d1, e.d2, uint16_t(e.length));
    }
  }
  bytes.resize(bytes.size() + kEndRecordSize, 0);
  return bytes;
}

inline std::vector<Ev> Read(const uint8_t* e) {
  std::vector<Ev> events;
  for (; e && SeqEventTime(e) != 0; e += GetSeqEventLength(e)) {
    uint8_t kind = SeqEventKind(e);
    if (kind == kKindSequenceRef)
      events.push_back({SeqEventTime(e), e[kEventStatus], uint8_t(ReadU16BE(e + kEventChildIndex)), 0,
                        GetEventLongDuration(e)});
    else if (GetEventLengthByKind(e[kEventStatus]) == kShortEventSize)
      events.push_back({SeqEventTime(e), e[kEventStatus], e[kEventData1], e[kEventData2], 0});
    else
      events.push_back({SeqEventTime(e), e[kEventStatus], e[kEventData1], e[kEventData2], GetNoteDuration(e)});
  }
  return events;
}

inline std::vector<uint8_t> ListBytes(Handle list) {
  if (!list) return {};
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(list));
  return std::vector<uint8_t>(p, p + GetHandleSize(list));
}

}  // namespace clip_test

class ClipboardFixture : public UndoFixture {
 protected:
  void SetUp() override {
    UndoFixture::SetUp();
    gEditContextKind = kContextEditorNotes;
    gPasteOptions = kPasteNoSplit;
    gPasteMerge = 0;
    gPasteRepeatCount = 1;
    gRepeatTransposition = RepeatTransposition();
    gFilterLowNote = 0;
    gFilterHighNote = 127;
    gEditFilterProc = gCopyFilterProc = gSavedCopyFilterProc = nullptr;
    gClipboardOwned = 0;
    song_ = AddSongInSlot(0, kTracks);
    SetSongEnd(4000);
  }

  void TearDown() override {
    ClipboardCommand(true, true);
    gPasteOptions = kPasteNoSplit;
    UndoFixture::TearDown();
  }

  static constexpr int32_t kTracks = 4;

  void SetSongEnd(uint32_t t) { WriteU32BE(gCurrentSong + kSongEndTick, t); }

  // Track number n (current afterwards) holds exactly events.
  void SetEvents(int32_t n, const std::vector<clip_test::Ev>& events) {
    SelectSong(song_);
    ASSERT_TRUE(SelectTrackWithNumber(n));
    undo_test::SetTrackEvents(clip_test::Bytes(events));
  }

  std::vector<clip_test::Ev> EventsOf(int32_t n) {
    SelectSong(song_);
    if (!SelectTrackWithNumber(n)) return {};
    return clip_test::Read(GetCurrentTrackEventsPtr());
  }

  // The clipboard song's copy of track n.
  std::vector<clip_test::Ev> ClipboardEventsOf(int32_t n) {
    PushSongContext();
    SelectSong(gClipboardPart2);
    std::vector<clip_test::Ev> events;
    if (SelectTrackWithNumber(n)) events = clip_test::Read(GetCurrentTrackEventsPtr());
    PopSongContext();
    return events;
  }

  // Only track n selected, and current.
  void SelectOnly(int32_t n) {
    SelectSong(song_);
    ClearTrackSelectionMask();
    SelectTrackSlot(n);
    RecomputeSelectionBounds(gTrackSelection, false);
    SelectTrackWithNumber(n);
  }

  void Copy(int32_t track, uint32_t start, uint32_t end) {
    SelectOnly(track);
    SetTimeRange(start, end);
    CopyToClipboard(0, 2);
  }

  Handle song_;
};
