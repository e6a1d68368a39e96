#include "editing/note_follow.h"

#include "editing/event_cursor.h"
#include "editing/event_filters.h"
#include "editors/timeline/click_state.h"
#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"

Handle gNoteFollowTable;

namespace {

uint8_t* NoteFollowEntry(uint8_t note) {
  if (!gNoteFollowTable || note > 127 || GetHandleSize(gNoteFollowTable) < kNoteFollowTableSize) return nullptr;
  return reinterpret_cast<uint8_t*>(HandleData(gNoteFollowTable)) + note * kNoteFollowEntrySize;
}

}  // namespace

void RunWithNoteFollowTable(NoteFollowProc procedure, void* argument) {
  gNoteFollowTable = NewHandleClear(kNoteFollowTableSize);
  if (!gNoteFollowTable) return;
  if (procedure) procedure(argument);
  DisposeHandle(gNoteFollowTable);
  gNoteFollowTable = Handle();
}

void RecordNoteMapping(uint32_t time, uint16_t length, uint8_t note, uint8_t newNote) {
  uint8_t* entry = NoteFollowEntry(note);
  if (!entry) return;
  WriteU32BE(entry, time);
  WriteU16BE(entry + 4, length);
  entry[6] = newNote;
}

void FollowTransposedNote(TransposeNoteProc transpose, uint32_t time) {
  if (gCurrentEvent == nullptr || SeqEventKind(gCurrentEvent) != kKindPolyPressure) return;
  SplitCursorEvent();
  uint8_t key = gCurrentEvent[kEventData1] & 0x7F;
  bool inRange = key >= gFilterLowNote && key <= gFilterHighNote;
  if (transpose && RunEventFilter(gCopyFilterProc) && inRange && gEventCriteriaFlags == 0) {
    gCurrentEvent[kEventData1] = uint8_t(FoldNoteToMidiRange(transpose(key)));
    return;
  }
  const uint8_t* entry = NoteFollowEntry(key);
  if (!entry) return;
  uint64_t start = ReadU32BE(entry);
  uint64_t end = start + ReadU16BE(entry + 4);
  if (time >= start && time <= end) gCurrentEvent[kEventData1] = entry[6];
}
