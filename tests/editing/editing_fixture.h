// Shared set-up of the editing tests: the undo fixture's fresh song database and undo ring,
// a front window of a chosen kind (through the redraw hooks), the editor's view and pointer
// state reset, and small helpers over the current track's event list.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "editing/edit_context.h"
#include "editing/event_filters.h"
#include "editors/timeline/click_state.h"
#include "shell/windows/editor_panes.h"
#include "song/events/time_selection.h"
#include "song/model/redraw_hooks.h"
#include "tests/song/undo/undo_fixture.h"

namespace editing_test {

inline int16_t gFrontKind = 0;

class EditingFixture : public UndoFixture {
 protected:
  void SetUp() override {
    UndoFixture::SetUp();
    savedFront_ = gRedrawHooks.frontWindowKind;
    gRedrawHooks.frontWindowKind = [] { return gFrontKind; };
    gFrontKind = 0;
    gCurrentViewMode = 0;
    gPointerMode = 0;
    gFilterLowNote = 0;
    gFilterHighNote = 127;
    gEventCriteriaFlags = 0;
    gCurrentPaneSlot = 0;
    gEditorPaneCount = 0;
    gEditFilterProc = gCopyFilterProc = gSavedCopyFilterProc = nullptr;
  }
  void TearDown() override {
    gRedrawHooks.frontWindowKind = savedFront_;
    gPointerMode = 0;
    gCurrentViewMode = 0;
    gFilterLowNote = 0;
    gFilterHighNote = 127;
    gEventCriteriaFlags = 0;
    UndoFixture::TearDown();
  }
  // A song in slot 0 with n tracks, the first current; its end at endTick.
  void MakeSong(int32_t tracks, uint32_t endTick = 3840) {
    AddSongInSlot(0, tracks);
    WriteU32BE(gCurrentSong + kSongEndTick, endTick);
    SetCurrentTrackIndex(0);
  }
  int16_t (*savedFront_)() = nullptr;
};

// The current track's event list bytes.
inline std::vector<uint8_t> CurrentEvents() {
  Handle list = GetCurrentTrackEventList();
  if (!list) return {};
  const auto* p = reinterpret_cast<const uint8_t*>(HandleData(list));
  return std::vector<uint8_t>(p, p + GetHandleSize(list));
}

// The tick of every event of the current track that filter accepts.
inline std::vector<uint32_t> TicksTaken(EventFilterProc filter) {
  std::vector<uint32_t> ticks;
  Handle list = GetCurrentTrackEventList();
  uint8_t* p = reinterpret_cast<uint8_t*>(HandleData(list));
  uint8_t* end = p + GetHandleSize(list);
  while (p + kEndRecordSize <= end && SeqEventTime(p) != 0) {
    if (EventPassesFilter(filter, p)) ticks.push_back(SeqEventTime(p));
    p += GetSeqEventLength(p);
  }
  return ticks;
}

}  // namespace editing_test
