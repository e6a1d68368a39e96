// Shared set-up of the range-edit tests (clear, insert and remove time): a real song in
// memory with a chosen resolution and meter, tracks filled with notes and short events, the
// undo ring, and readers that give the events back as (time, kind, duration) rows.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "editing/context_delete_hooks.h"
#include "editing/edit_context.h"
#include "editing/event_cursor.h"
#include "editing/event_filters.h"
#include "editing/paste_options.h"
#include "editing/time_range_clear.h"
#include "platform/events/host_input.h"
#include "shell/base/error_report_hooks.h"
#include "shell/windows/editor_panes.h"
#include "song/conductor/conductor_document_header.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/markers.h"
#include "song/conductor/timebase.h"
#include "song/events/time_selection.h"
#include "song/events/utility_event_selection.h"
#include "song/model/track_length.h"
#include "song/undo/undo_exchange.h"
#include "song/undo/undo_steps.h"
#include "tests/song/undo/undo_fixture.h"

namespace range_edit_test {

// One record of a test list: a note (14 bytes), a short event (8 bytes) or a sequence
// reference (14 bytes, data1 = child cell x 4).
struct Ev {
  uint32_t time;
  uint8_t status;
  uint16_t duration = 0;  // notes: the length; references: the length
  uint8_t data1 = 60;
  uint8_t data2 = 100;
};

inline Ev Note(uint32_t t, uint16_t d, uint8_t pitch = 60) { return {t, 0x90, d, pitch, 100}; }
inline Ev Ctl(uint32_t t, uint8_t value = 7) { return {t, 0xB0, 0, 7, value}; }
inline Ev Bend(uint32_t t) { return {t, 0xE0, 0, 0, 64}; }
inline Ev Ref(uint32_t t, uint16_t reference, uint16_t length = 96) {
  return {t, 0x50, length, uint8_t(reference), 0};
}

inline std::vector<uint8_t> List(const std::vector<Ev>& events) {
  std::vector<uint8_t> bytes;
  for (const Ev& e : events) {
    size_t at = bytes.size();
    if (GetEventLengthByKind(e.status) == kShortEventSize) {
      bytes.resize(at + kShortEventSize);
      FillShortEvent(&bytes[at], e.time, e.status, e.data1, e.data2);
    } else {
      bytes.resize(at + kLongEventSize);
      FillLongEvent(&bytes[at], e.time, e.status, e.data1, e.data2, e.duration);
      if (e.status == 0x50) {
        WriteU16BE(&bytes[at] + kEventChildIndex, e.data1);
        SetEventLongDuration(&bytes[at], e.duration);
      }
    }
  }
  bytes.resize(bytes.size() + kEndRecordSize, 0);
  return bytes;
}

// A row per event: "time:kind/duration" for notes and references, "time:kind" otherwise.
inline std::string Rows(Handle list) {
  std::string out;
  if (!list) return "<none>";
  auto* p = reinterpret_cast<uint8_t*>(HandleData(list));
  uint32_t size = uint32_t(GetHandleSize(list));
  for (uint32_t at = 0; at < size;) {
    uint8_t* e = p + at;
    uint32_t length = SeqEventTime(e) == 0 ? 0 : SeqEventLengthWithin(e, size - at);
    if (length == 0) break;
    char row[48];
    uint8_t kind = SeqEventKind(e);
    if (kind == kKindNote)
      std::snprintf(row, sizeof row, "%u:n/%u ", SeqEventTime(e), GetNoteDuration(e));
    else
      std::snprintf(row, sizeof row, "%u:%02x ", SeqEventTime(e), kind);
    out += row;
    at += length;
  }
  if (!out.empty()) out.pop_back();
  return out;
}

}  // namespace range_edit_test

class RangeEditTest : public UndoFixture {
 protected:
  void SetUp() override {
    UndoFixture::SetUp();
    UseTimebase(480, 4, 4);
    gEditContextKind = kContextTrackWindow;
    gPasteOptions = kPasteNoSplit;
    gEventCriteriaFlags = 0;
    SetDefaultEventFilters();
    gCopyFilterProc = nullptr;
    gEditorPaneCount = 0;
    gCurrentPaneSlot = 0;
    gCurrentViewMode = 0;
    gTimeDisplayMode = 0;
    alerts_ = 0;
    gErrorReportHooks.showCautionAlert = [](int16_t) -> int16_t { return int16_t(++alerts_); };
  }
  void TearDown() override {
    gErrorReportHooks.showCautionAlert = nullptr;
    ResetHostInputState();
    gPasteOptions = kPasteNoSplit;
    gEditContextKind = kContextEditorNotes;
    UndoFixture::TearDown();
  }

  // A fresh song (tracks tracks, the first current) at ppq ticks per quarter in
  // numerator/denominator.
  void UseTimebase(int32_t ppq, int32_t numerator, int32_t denominator) {
    gResolutionBeforeChange = gTicksPerQuarter = ppq;
    gDocumentResolution = uint16_t(ppq);
    gConductorState = ConductorState();
    gConductorState.ticksPerBeat = 0;
    ApplyTimebase();
    ResetSongDatabase();
    SetTimeSignature(numerator, denominator);
    ASSERT_EQ(noErr, StoreMeterAt(1));
    undo_test::SelectAllTracks();
    SetCurrentTrackIndex(0);
  }

  // The song holds n fresh tracks.
  void MakeTracks(int32_t n) {
    ASSERT_EQ(noErr, CreateSongTracks(n, 1));
    RebuildTrackNumberMap();
    undo_test::SelectAllTracks();
  }

  void Fill(int32_t track, const std::vector<range_edit_test::Ev>& events) {
    SetCurrentTrackIndex(track);
    undo_test::SetTrackEvents(range_edit_test::List(events));
  }
  std::string Rows(int32_t track) {
    SetCurrentTrackIndex(track);
    return range_edit_test::Rows(GetCurrentTrackEventList());
  }
  std::vector<uint8_t> Bytes(int32_t track) {
    SetCurrentTrackIndex(track);
    Handle list = GetCurrentTrackEventList();
    auto* p = reinterpret_cast<const uint8_t*>(HandleData(list));
    return std::vector<uint8_t>(p, p + GetHandleSize(list));
  }
  void Select(uint32_t start, uint32_t end) {
    gTimeSelection = TimeSelection();
    gTimeSelection.start.tick = start;
    gTimeSelection.end.tick = end;
  }
  void Split(bool on) { gPasteOptions = on ? 0 : kPasteNoSplit; }
  std::string SongNow() { return undo_test::SongImage(gCurrentSongHandle); }

  // Undo gives back before, Redo gives back after.
  void ExpectUndoRedo(const std::string& before) {
    std::string after = SongNow();
    ASSERT_NE(before, after) << "the edit changed nothing";
    ASSERT_EQ(noErr, UndoLastEdit());
    EXPECT_TRUE(undo_test::SameImage(before, SongNow())) << "Undo";
    ASSERT_EQ(noErr, RedoEdit());
    EXPECT_TRUE(undo_test::SameImage(after, SongNow())) << "Redo";
  }

  static inline int alerts_ = 0;
};
