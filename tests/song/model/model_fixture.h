// Shared set-up of the song model tests: a fresh song database per test and small builders
// for event lists.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/memory/memory.h"
#include "shell/dialogs/dialog_alerts.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_database.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"

// One record of a test list: 'L' 14-byte, 'S' 8-byte, 'V' variable of the given length.
struct Rec {
  char form;
  uint32_t time;
  uint8_t status;
  uint32_t length = 0;  // 'V' only
  uint16_t duration = 0;
  uint8_t data1 = 0;
};

inline std::vector<uint8_t> MakeRecords(const std::vector<Rec>& recs, bool withEnd = true) {
  std::vector<uint8_t> bytes;
  for (const Rec& r : recs) {
    size_t at = bytes.size();
    if (r.form == 'L') {
      bytes.resize(at + kLongEventSize);
      FillLongEvent(&bytes[at], r.time, r.status, r.data1, 64, r.duration);
    } else if (r.form == 'S') {
      bytes.resize(at + kShortEventSize);
      FillShortEvent(&bytes[at], r.time, r.status, r.data1, 0);
    } else {
      bytes.resize(at + r.length);
      FillVariableEvent(&bytes[at], r.time, r.length);
      bytes[at + kEventData1 + 8] = r.data1;  // a data byte to tell records apart
    }
  }
  if (withEnd) bytes.resize(bytes.size() + kEndRecordSize, 0);
  return bytes;
}

// Gives the current track an event list holding exactly bytes.
inline Handle SetCurrentTrackEvents(const std::vector<uint8_t>& bytes) {
  EXPECT_EQ(noErr, EnsureTrackEventList());
  Handle list = GetCurrentTrackEventList();
  SetHandleSize(list, Size(bytes.size()));
  std::memcpy(HandleData(list), bytes.data(), bytes.size());
  WriteU32BE(gCurrentTrack + kTrackEventBytes, uint32_t(bytes.size()));
  return list;
}

inline std::vector<uint8_t> HandleBytes(Handle h) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(h));
  return std::vector<uint8_t>(p, p + GetHandleSize(h));
}

// The start offsets of the records in front of the end record, walking forwards.
inline std::vector<size_t> ForwardStarts(const std::vector<uint8_t>& list) {
  std::vector<size_t> starts;
  size_t at = 0;
  while (at + kEndRecordSize <= list.size() && SeqEventTime(&list[at]) != 0) {
    starts.push_back(at);
    uint32_t length = SeqEventLengthWithin(&list[at], uint32_t(list.size() - at));
    if (length == 0) break;
    at += length;
  }
  return starts;
}

class SongModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallErrorReportHooks();  // the alerts about damaged lists
    ResetSongDatabase();
    baseline_ = CountLiveHandles();
  }
  uint32_t baseline_ = 0;
};
