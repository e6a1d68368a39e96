// Songs for the sequence-reference tests: event lists written record by record (notes with
// their own durations, controllers, references to a child, variable records), read back as
// (time, status, data1, duration) rows.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "song/events/seq_event.h"
#include "song/model/track_event_replacement.h"
#include "song/undo/undo_exchange.h"
#include "tests/song/undo/undo_fixture.h"

namespace refs_test {

// One record: a note or another 14-byte event (duration for notes, length for references),
// an 8-byte event, or with status 0x40 a variable record of 24 bytes.
struct Row {
  uint32_t time;
  uint8_t status;
  uint8_t data1 = 0;
  uint32_t duration = 0;
  bool operator==(const Row& o) const {
    return time == o.time && status == o.status && data1 == o.data1 && duration == o.duration;
  }
};

inline std::ostream& operator<<(std::ostream& out, const Row& r) {
  return out << "{" << r.time << ", 0x" << std::hex << int(r.status) << std::dec << ", "
             << int(r.data1) << ", " << r.duration << "}";
}

inline std::vector<uint8_t> Records(const std::vector<Row>& rows) {
  std::vector<uint8_t> bytes;
  for (const Row& r : rows) {
    size_t at = bytes.size();
    uint8_t kind = r.status & 0xF0;
    if (kind == kKindVariable) {
      bytes.resize(at + 24);
      FillVariableEvent(&bytes[at], r.time, 24);
    } else if (GetEventLengthByKind(r.status) == kShortEventSize) {
      bytes.resize(at + kShortEventSize);
      FillShortEvent(&bytes[at], r.time, r.status, r.data1, 0);
    } else if (kind == kKindSequenceRef) {
      bytes.resize(at + kLongEventSize);
      FillLongEvent(&bytes[at], r.time, r.status, 0, 0, 0);
      WriteU16BE(&bytes[at] + kEventChildIndex, uint16_t(r.data1 * 4));
      SetEventLongDuration(&bytes[at], r.duration);
    } else {
      bytes.resize(at + kLongEventSize);
      FillLongEvent(&bytes[at], r.time, r.status, r.data1, 64, uint16_t(r.duration));
    }
  }
  return bytes;
}

inline void SetTrackRows(const std::vector<Row>& rows) {
  std::vector<uint8_t> bytes = Records(rows);
  bytes.resize(bytes.size() + kEndRecordSize, 0);
  undo_test::SetTrackEvents(bytes);
}

inline std::vector<Row> RowsOf(const uint8_t* entry) {
  std::vector<Row> rows;
  std::vector<uint8_t> records = CopyListRecords(Handle(ReadU32BE(entry + kTrackEventList)));
  for (size_t at = 0; uint32_t n = RecordLengthAt(records, at); at += n) {
    const uint8_t* e = &records[at];
    Row r{SeqEventTime(e), e[kEventStatus]};
    uint8_t kind = SeqEventKind(e);
    if (kind == kKindSequenceRef) {
      r.data1 = uint8_t(ReadU16BE(e + kEventChildIndex) / 4);
      r.duration = GetEventLongDuration(e);
    } else if (kind != kKindVariable) {
      r.data1 = e[kEventData1];
      if (n == kLongEventSize) r.duration = GetNoteDuration(e);
    }
    rows.push_back(r);
  }
  return rows;
}

// Runs command on the current song: Undo must give back the song as it was, Redo the song
// the command made.
inline void ExpectUndoAndRedo(void (*command)()) {
  std::string before = undo_test::SongImage(gCurrentSongHandle);
  command();
  std::string after = undo_test::SongImage(gCurrentSongHandle);
  ASSERT_NE(before, after);
  ASSERT_EQ(noErr, UndoLastEdit());
  EXPECT_TRUE(undo_test::SameImage(before, undo_test::SongImage(gCurrentSongHandle)));
  ASSERT_EQ(noErr, RedoEdit());
  EXPECT_TRUE(undo_test::SameImage(after, undo_test::SongImage(gCurrentSongHandle)));
}

}  // namespace refs_test
