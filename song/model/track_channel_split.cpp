// Splitting a track into one track per MIDI channel (track command 4).
#include <vector>

#include "shell/base/error_report.h"
#include "song/events/event_lists.h"
#include "song/events/seq_event.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/model/sequence_references.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_entries.h"
#include "song/model/track_event_replacement.h"
#include "song/model/track_iterators.h"
#include "song/model/track_numbers.h"
#include "song/model/track_output_assignment.h"
#include "song/model/track_selection.h"
#include "song/model/utility_track_access.h"
#include "song/model/window_redraw.h"
#include "song/undo/undo_ring.h"
#include "song/undo/undo_steps.h"

namespace {

constexpr int32_t kMidiChannels = 16;

// Sequence references and variable records belong to no channel: they stay where they are.
bool StaysInSource(const uint8_t* e) {
  uint8_t kind = SeqEventKind(e);
  return kind == kKindSequenceRef || kind == kKindVariable;
}

uint16_t UsedChannels(const std::vector<uint8_t>& records) {
  uint16_t mask = 0;
  for (size_t at = 0; uint32_t n = RecordLengthAt(records, at); at += n)
    if (!StaysInSource(&records[at])) mask = uint16_t(mask | (1u << EventChannel(&records[at])));
  return mask;
}

uint8_t TrackChannel(const uint8_t* entry) {
  if (!(entry[kTrackFlags] & kTrackFlagPlaysInstrument)) return entry[kTrackSetting70] & 0x0F;
  const uint8_t* instrument = GetInstrumentRecord(GetTrackInstrument(entry, 0));
  return instrument ? InstrumentView(const_cast<uint8_t*>(instrument)).Channel(0) & 0x0F : 0xFF;
}

// A new selected track that plays channel through the source's output; false (with
// gIterationAbort set) when no track number is free or memory is short.
bool AddChannelTrack(uint8_t output, uint8_t type, uint8_t channel) {
  if (FindFreeTrackNumber() < 0) {
    gIterationAbort = 1;
    return false;
  }
  if (!AddTrackEntryChecked(kTrackEntrySize)) return false;
  ClaimTrackNumber();
  TrackEntryView(gCurrentTrack).SetEventBytes(0);
  SetTrackOutput(output, channel, type);
  SelectCurrentTrackSlot();
  return true;
}

// Gives the tracks from first on the events of their channel, and the source what stays.
// On a memory shortage the source keeps every event and the new tracks none.
OSErr MoveEventsToChannelTracks(int32_t source, int32_t first, const std::vector<uint8_t>& records) {
  int32_t count = GetSongTrackCount() - first;
  std::vector<std::vector<uint8_t>> targets(size_t(count > 0 ? count : 0));
  std::vector<uint8_t> kept;
  for (size_t at = 0; uint32_t n = RecordLengthAt(records, at); at += n) {
    const uint8_t* e = &records[at];
    int32_t target = StaysInSource(e) ? -1 : FindTrackForChannel(first, EventChannel(e));
    std::vector<uint8_t>& into = target < 0 ? kept : targets[size_t(target - first)];
    into.insert(into.end(), e, e + n);
  }
  OSErr err = noErr;
  int32_t filled = 0;
  for (; err == noErr && filled < count; ++filled) {
    SetCurrentTrackIndex(first + filled);
    err = EnsureTrackEventList();
    if (err == noErr) err = ReplaceCurrentTrackEvents(targets[size_t(filled)]);
  }
  SetCurrentTrackIndex(source);
  if (err == noErr) err = ReplaceCurrentTrackEvents(kept);
  if (err == noErr) return noErr;
  for (int32_t i = 0; i < filled; ++i) {
    SetCurrentTrackIndex(first + i);
    ReplaceCurrentTrackEvents({});
  }
  SetCurrentTrackIndex(source);
  return err;
}

struct SplitRun {
  int32_t entriesBefore = 0;
  uint8_t selection[kTrackSelectionBytes] = {};
};

int32_t RunSplit(void* context) {
  auto* run = static_cast<SplitRun*>(context);
  SetCurrentUndoKind(kUndoKindEdit);
  RestoreTrackSelection(run->selection);
  SearchSelectedTracks(SplitTrackByChannel, &run->entriesBefore);
  RebuildTrackNumberMap();
  SaveTrackSelection(run->selection);
  return 0;
}

}  // namespace

int32_t FindTrackForChannel(int32_t first, uint8_t channel) {
  int32_t count = GetSongTrackCount();
  for (int32_t i = first < 0 ? 0 : first; i < count; ++i) {
    const uint8_t* entry = GetTrackEntryAt(i);
    if (!entry) break;
    if (TrackChannel(entry) == channel) return i;
  }
  return -1;
}

int32_t SplitTrackByChannel(void* arg, uint8_t* entry) {
  int32_t source = GetCurrentTrackIndex();
  if (arg && source >= *static_cast<int32_t*>(arg)) return 0;  // made by this command
  Handle list = GetCurrentTrackEventList();
  if (!list || FindFreeTrackNumber() < 0) return 0;
  const uint8_t output = entry[kTrackMidiOutput];
  const uint8_t type = entry[kTrackType];
  const int32_t first = GetSongTrackCount();
  std::vector<uint8_t> records = CopyListRecords(list);
  uint16_t used = UsedChannels(records);
  for (int32_t channel = 0; channel < kMidiChannels; ++channel)
    if ((used & (1u << channel)) && !AddChannelTrack(output, type, uint8_t(channel))) break;
  SetCurrentTrackIndex(source);
  if (GetSongTrackCount() == first) return 0;
  if (OSErr err = MoveEventsToChannelTracks(source, first, records); err != noErr) {
    gIterationAbort = 1;
    ReportError(err);
  }
  return 0;
}

void SplitSelectedTracksByChannel() {
  if (!gCurrentSong) return;
  SplitRun run;
  run.entriesBefore = GetSongTrackCount();
  SaveTrackSelection(run.selection);
  if (gUndoRing) {
    if (RunUndoableEditOverAllTracks(RunSplit, &run) != noErr) return;
  } else {
    RunSplit(&run);
  }
  RestoreTrackSelection(run.selection);
  RecomputeSelectionBounds(gTrackSelection, true);
  InvalidateTrackWindow();
  InvalidateEditorWindow();
  SetSongModified();
}
