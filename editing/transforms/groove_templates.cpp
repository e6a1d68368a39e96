#include "editing/transforms/groove_templates.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "editing/transforms/quantize_grid.h"
#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"
#include "shell/base/arithmetic.h"
#include "shell/base/error_report.h"
#include "shell/base/resource_files.h"
#include "song/conductor/conductor_map.h"
#include "song/conductor/timebase.h"
#include "song/events/event_sort.h"
#include "song/events/seq_event.h"
#include "song/events/time_selection.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/track_edit_brackets.h"
#include "song/model/track_length.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr int32_t kOldGrooveBlockSize = 362;
constexpr int32_t kMiddleGrooveBlockSize = 548;
constexpr int32_t kLastTick = int32_t(kSortSentinelTime) - 1;

void InsertZeros(std::vector<uint8_t>* block, int32_t at, int32_t count) {
  block->insert(block->begin() + at, size_t(count), uint8_t(0));
}

void ClearGrooveHandles(uint8_t* block) {
  for (int32_t at : {kSongConductorMap, kSongMarkerList, kSongWindowTable, kSongExtraBlock})
    WriteU32BE(block + at, 0);
  for (int32_t at = kTrackEventList; at + 4 <= kTrackEntrySize; at += 8)
    WriteU32BE(block + kGrooveTrackEntry + at, 0);
}

int32_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return int32_t(q);
}

// The groove's notes laid out on the song's time line: copy c of a looped groove starts
// base + c x period ticks after the groove's own time.
struct GrooveLine {
  const std::vector<GrooveNote>* notes;
  int64_t base;
  int64_t period;  // 0: used once
  int64_t Tick(int32_t copy, size_t i) const {
    return (*notes)[i].tick + base + int64_t(copy) * period;
  }
};

struct GroovePick {
  int32_t copy = 0;
  size_t index = 0;
  int64_t tick = 0;
  bool found = false;
};

// The last groove note before t and the first at or after t within one copy.
void SearchCopy(const GrooveLine& line, int32_t copy, int64_t t, GroovePick* before,
                GroovePick* after) {
  const auto& notes = *line.notes;
  int64_t local = t - line.base - int64_t(copy) * line.period;
  auto it = std::lower_bound(notes.begin(), notes.end(), local,
                             [](const GrooveNote& n, int64_t v) { return n.tick < v; });
  size_t i = size_t(it - notes.begin());
  if (i < notes.size() && (!after->found || line.Tick(copy, i) < after->tick))
    *after = {copy, i, line.Tick(copy, i), true};
  if (i > 0 && (!before->found || line.Tick(copy, i - 1) > before->tick))
    *before = {copy, i - 1, line.Tick(copy, i - 1), true};
}

// The groove note a note at t is pulled to: the nearer of the neighbours, the later one on
// equal distance.
GroovePick PickGrooveNote(const GrooveLine& line, int64_t t) {
  GroovePick before, after;
  if (line.period == 0) {
    SearchCopy(line, 0, t, &before, &after);
  } else {
    int32_t copy = FloorDiv(t - 1 - line.base, line.period);
    for (int32_t c = copy - 1; c <= copy + 1; ++c) SearchCopy(line, c, t, &before, &after);
  }
  if (!after.found) return before;
  if (!before.found) return after;
  return (t - before.tick < after.tick - t) ? before : after;
}

// The average velocity and duration of the groove notes closer than a 32nd of a quarter to
// the picked one (the picked one included).
void AverageNear(const GrooveLine& line, const GroovePick& pick, int32_t* velocity,
                 int32_t* duration) {
  const int64_t width = gTicksPerQuarter / 32;
  int64_t velocities = 0, durations = 0, count = 0;
  const int32_t firstCopy = line.period ? pick.copy - 1 : 0;
  const int32_t lastCopy = line.period ? pick.copy + 1 : 0;
  const auto& notes = *line.notes;
  for (int32_t c = firstCopy; c <= lastCopy; ++c) {
    const int64_t local = pick.tick - line.base - int64_t(c) * line.period;
    const int64_t reach = std::max<int64_t>(width - 1, 0);
    auto it = std::lower_bound(notes.begin(), notes.end(), local - reach,
                               [](const GrooveNote& n, int64_t v) { return n.tick < v; });
    for (size_t i = size_t(it - notes.begin()); i < notes.size(); ++i) {
      if (notes[i].tick > local + reach) break;
      bool picked = c == pick.copy && i == pick.index;
      if (!picked && std::abs(line.Tick(c, i) - pick.tick) >= width) continue;
      velocities += notes[i].velocity;
      durations += notes[i].duration;
      ++count;
    }
  }
  *velocity = int32_t(velocities / count);
  *duration = int32_t(durations / count);
}

GrooveLine LayOutGroove(const QuantizeSettings* s, const Groove& groove) {
  GrooveLine line{&groove.notes, 0, 0};
  const int64_t period = int64_t(groove.length) - 1;
  if (!groove.loop || period <= 0) return line;  // a groove without a period is used once
  line.period = period;
  const int32_t start = int32_t(gTimeSelection.start.tick);
  if (GetQuantizeByte(s, kQuantizeFlags) & kQuantizeLoopByBars)
    line.base = int64_t(BarToTick(TickToBar(start))) - 1;
  else
    line.base = (int64_t(start) / period) * period;
  return line;
}

void PullNote(const QuantizeSettings* s, uint8_t* note, int32_t velocity, int32_t duration) {
  const int32_t d = GetNoteDuration(note);
  const int32_t dStrength = GetQuantizeI16(s, kQuantizeDurationStrength);
  SetNoteDuration(note, uint16_t(std::clamp(d - MulDivRound(d - duration, dStrength, 100), 1, 65535)));
  const int32_t v = note[kEventData2];
  const int32_t vStrength = GetQuantizeI16(s, kQuantizeVelocityStrength);
  note[kEventData2] = uint8_t(std::clamp(v - MulDivRound(v - velocity, vStrength, 100), 0, 127));
}

void RejectNote(uint8_t* note) {
  note[kEventData2] = 0;
  note[kEventFlags] |= kGrooveRejectedFlag;
}

}  // namespace

bool UpgradeGrooveBlock(const uint8_t* bytes, int32_t size, std::vector<uint8_t>* block) {
  if (size != kOldGrooveBlockSize && size != kMiddleGrooveBlockSize && size != kGrooveBlockSize)
    return false;
  block->assign(bytes, bytes + size);
  if (size == kOldGrooveBlockSize) InsertZeros(block, 218, 186);
  if (int32_t(block->size()) == kMiddleGrooveBlockSize) InsertZeros(block, 542, 120);
  ClearGrooveHandles(block->data());
  return true;
}

bool ReadGrooveNotes(const uint8_t* list, int32_t size, std::vector<GrooveNote>* notes) {
  notes->clear();
  int32_t at = 0;
  while (at + kEndRecordSize <= size) {
    const uint8_t* e = list + at;
    if (SeqEventTime(e) == 0) return true;
    uint32_t length = SeqEventLengthWithin(e, uint32_t(size - at));
    if (length == 0) return false;
    if (SeqEventKind(e) == kKindNote)
      notes->push_back({int32_t(std::min<uint32_t>(SeqEventTime(e), kLastTick)), e[kEventData2],
                        GetNoteDuration(e)});
    at += int32_t(length);
  }
  return false;
}

void RescaleGroove(Groove* groove, int32_t from) {
  if (from <= 0 || from == gTicksPerQuarter) return;
  for (GrooveNote& n : groove->notes) {
    n.tick = std::max(1, MulDivRound(n.tick - 1, gTicksPerQuarter, from) + 1);
    n.duration = uint16_t(std::clamp(MulDivRound(n.duration, gTicksPerQuarter, from), 1, 65535));
  }
  groove->length = MulDivRound(groove->length - 1, gTicksPerQuarter, from) + 1;
}

namespace {

void SortGrooveNotes(std::vector<GrooveNote>* notes) {
  std::stable_sort(notes->begin(), notes->end(),
                   [](const GrooveNote& a, const GrooveNote& b) { return a.tick < b.tick; });
}

// The groove's 'TRKD' list into groove->notes; -1 when it is damaged.
OSErr ReadGrooveEventsResource(int16_t id, Groove* groove) {
  Handle list = GetResource(kGrooveEventsResType, id);
  if (!list) return resNotFound;
  bool ok = ReadGrooveNotes(reinterpret_cast<const uint8_t*>(HandleData(list)),
                            GetHandleSize(list), &groove->notes);
  ReleaseResource(list);
  return ok ? OSErr(noErr) : OSErr(-1);
}

OSErr ReadGrooveChain(int16_t id, Groove* groove) {
  Handle resource = GetResource(kGrooveResType, id);
  if (!resource) return resNotFound;
  std::vector<uint8_t> block;
  bool ok = UpgradeGrooveBlock(reinterpret_cast<const uint8_t*>(HandleData(resource)),
                               GetHandleSize(resource), &block);
  ReleaseResource(resource);
  if (!ok) return -1;
  OSErr err = ReadGrooveEventsResource(ReadI16BE(block.data() + kGrooveEventsId), groove);
  if (err != noErr) return err;
  groove->length = int32_t(std::min<uint32_t>(ReadU32BE(block.data() + kGrooveLength), kLastTick));
  groove->loop = true;
  SortGrooveNotes(&groove->notes);
  RescaleGroove(groove, int32_t(ReadU32BE(block.data() + kGrooveResolution)));
  return noErr;
}

}  // namespace

OSErr LoadGrooveResource(int16_t id, Groove* groove) {
  *groove = Groove{};
  if (gPrefsResFile != -1) UseResFile(gPrefsResFile);
  OSErr err = ReadGrooveChain(id, groove);
  UseAppResFile();
  return err;
}

bool LoadTrackGroove(int32_t trackNumber, Groove* groove) {
  *groove = Groove{};
  const int32_t count = GetSongTrackCount();
  for (int32_t i = 0; i < count; ++i) {
    uint8_t* entry = GetTrackEntryAt(i);
    if (!entry || entry[kTrackNumber] != trackNumber) continue;
    Handle list = Handle(ReadU32BE(entry + kTrackEventList));
    if (!list) return false;
    // A damaged list gives no groove at all, never a part of one.
    if (!ReadGrooveNotes(reinterpret_cast<const uint8_t*>(HandleData(list)), GetHandleSize(list), &groove->notes))
      return false;
    groove->length = int32_t(std::min<uint32_t>(ReadU32BE(entry + kTrackTickLength), kLastTick));
    groove->loop = (entry[kTrackFlags] & kTrackFlag40) != 0;
    SortGrooveNotes(&groove->notes);
    return true;
  }
  return false;
}

uint32_t GrooveNotes(const QuantizeSettings* s, const Groove& groove,
                     const std::vector<uint8_t*>& notes, int32_t rejectDistance, bool* moved) {
  const GrooveLine line = LayOutGroove(s, groove);
  const bool apply = GetQuantizeByte(s, kQuantizeApply) != 0;
  const bool chords = (GetQuantizeByte(s, kQuantizeFlags) & kQuantizeChords) != 0;
  std::vector<std::pair<size_t, size_t>> groups;
  if (chords) {
    FindChordGroups(notes, &groups);
  } else {
    for (size_t i = 0; i < notes.size(); ++i) groups.push_back({i, i + 1});
  }
  uint32_t last = 0;
  for (auto [first, end] : groups) {
    const int32_t tick = int32_t(SeqEventTime(notes[first]));
    const GroovePick pick = PickGrooveNote(line, tick);
    int32_t velocity = 0, duration = 0;
    AverageNear(line, pick, &velocity, &duration);
    const int32_t target = ApplyTimingStrength(s, tick, int32_t(std::clamp<int64_t>(pick.tick, 1, kLastTick)));
    if (rejectDistance != 0 && std::abs(int64_t(target) - tick) >= rejectDistance / 2) {
      for (size_t i = first; i < end; ++i) RejectNote(notes[i]);
      continue;
    }
    int64_t sum = 0;
    for (size_t i = first; i < end; ++i) sum += SeqEventTime(notes[i]);
    const int64_t shift = apply ? target - sum / int64_t(end - first) : 0;
    for (size_t i = first; i < end; ++i) {
      uint8_t* note = notes[i];
      const uint32_t oldDuration = GetNoteDuration(note);
      if (shift != 0) {
        SetSeqEventTime(note, uint32_t(std::clamp<int64_t>(SeqEventTime(note) + shift, 1, kLastTick)));
        *moved = true;
      }
      PullNote(s, note, velocity, duration);
      last = std::max(last, SeqEventTime(note) + std::max<uint32_t>(oldDuration, GetNoteDuration(note)));
    }
  }
  return last;
}

int32_t ApplyPreparedGroove(const QuantizeSettings* s, const Groove& groove,
                            int32_t rejectDistance) {
  if (groove.notes.empty()) return kGrooveHasNoNotes;
  if (!(GetQuantizeByte(s, kQuantizeFlags) & kQuantizeStarts)) return kGrooveApplied;
  if (!GetCurrentTrackEventList() || BeginTrackEdit() != noErr) return kGrooveApplied;
  LockCurrentTrackEvents();
  std::vector<uint8_t*> notes;
  CollectSelectionNotes(&notes);
  bool moved = false;
  uint32_t last = GrooveNotes(s, groove, notes, rejectDistance, &moved);
  UnlockCurrentTrackEvents();
  if (moved) SortTrackEvents();
  if (last) TrackLengthAtLeast(last);
  EndTrackEdit();
  return kGrooveApplied;
}

int32_t ApplyGroove(const QuantizeSettings* s, bool loop, Handle grooveEvents,
                    int32_t grooveLength, int32_t rejectDistance) {
  Groove groove;
  if (grooveEvents)
    ReadGrooveNotes(reinterpret_cast<const uint8_t*>(HandleData(grooveEvents)),
                    GetHandleSize(grooveEvents), &groove.notes);
  SortGrooveNotes(&groove.notes);
  groove.length = grooveLength;
  groove.loop = loop;
  return ApplyPreparedGroove(s, groove, rejectDistance);
}

int32_t ApplyTrackGroove(QuantizeSettings* s, int32_t rejectDistance) {
  Groove groove;
  if (!LoadTrackGroove(GetQuantizeI16(s, kQuantizeGrooveTrack) & 0xFFFF, &groove))
    return kGrooveApplied;
  SetQuantizeByte(s, kQuantizeApply, 1);
  int32_t result = ApplyPreparedGroove(s, groove, rejectDistance);
  if (result == kGrooveHasNoNotes) ReportAppErrorText(kGrooveNoNotesText);
  return result;
}

int32_t ApplyGrooveResource(QuantizeSettings* s) {
  Groove groove;
  if (LoadGrooveResource(int16_t(GetQuantizeI16(s, kQuantizeGrooveId)), &groove) != noErr) {
    ReportAppErrorText(kGrooveNoNotesText);
    return kGrooveHasNoNotes;
  }
  SetQuantizeByte(s, kQuantizeApply, 1);
  int32_t result = ApplyPreparedGroove(s, groove, 0);
  if (result == kGrooveHasNoNotes) ReportAppErrorText(kGrooveNoNotesText);
  return result;
}

uint8_t* FindNextNoteOn(uint8_t* event) {
  for (; event && SeqEventTime(event) != 0; event = GetNextSeqEvent(event))
    if (SeqEventKind(event) == kKindNote) return event;
  return nullptr;
}

uint8_t* FindPrevNoteOn(uint8_t* event, uint8_t* listStart) {
  if (!event || event < listStart) return nullptr;
  if (SeqEventTime(event) != 0 && SeqEventKind(event) == kKindNote) return event;
  while (event > listStart) {
    event = PrevEventStartWithin(event, listStart);
    if (!event) return nullptr;
    if (SeqEventKind(event) == kKindNote) return event;
  }
  return nullptr;
}

int16_t GetResourceIdAndRelease(Handle resource) {
  SInt16 id = 0;
  ResType type = 0;
  Str255 name;
  GetResInfo(resource, &id, &type, name);
  ReleaseResource(resource);
  return id;
}
