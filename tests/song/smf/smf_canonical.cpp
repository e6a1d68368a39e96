#include "tests/song/smf/smf_canonical.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/memory/memory.h"
#include "song/conductor/conductor_map.h"
#include "song/events/seq_event.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"
#include "song/model/utility_track_access.h"

namespace {

std::string Line(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Line(const char* format, ...) {
  char text[160];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

void AppendSorted(std::string* out, std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end());
  for (const std::string& l : lines) *out += l + "\n";
}

void DumpConductor(std::string* out) {
  SongHeaderView song(gCurrentSong);
  std::vector<std::string> tempo{Line("tempo 1 %u", song.Tempo())};
  std::vector<std::string> meter{
      Line("meter 1 %u %u", song.BeatsPerBar(), song.TicksPerBeat())};
  std::vector<std::string> key{Line("key 1 %u", song.Key())};
  for (uint8_t* r = GetConductorMap(); ConductorKind(r) != kConductorEnd; r += kConductorRecordSize) {
    ConductorRecordView v(r);
    if (v.Kind() == kConductorTempo) tempo.push_back(Line("tempo %d %u", v.Tick(), v.Value()));
    if (v.Kind() == kConductorMeter)
      meter.push_back(Line("meter %d %u %u", v.Tick(), v.BeatsPerBar(), v.TicksPerBeat()));
    if (v.Kind() == kConductorKey) key.push_back(Line("key %d %u", v.Tick(), v.KeyCode()));
  }
  AppendSorted(out, tempo);
  AppendSorted(out, meter);
  AppendSorted(out, key);
}

std::string EventLine(const uint8_t* e) {
  uint32_t t = SeqEventTime(e);
  uint8_t ch = EventChannel(e);
  uint8_t a = e[kEventData1], b = e[kEventData2];
  switch (SeqEventKind(e)) {
    case kKindNote:
      return Line("note %u %u %u %u %u %u", t, ch, a, b, e[kEventData3], GetNoteDuration(e));
    case kKindPolyPressure: return Line("poly %u %u %u %u", t, ch, a, b);
    case kKindController: return Line("cc %u %u %u %u", t, ch, a, b);
    case kKindProgram: return Line("program %u %u %u", t, ch, a);
    case kKindChannelPressure: return Line("pressure %u %u %u", t, ch, a);
    case kKindPitchBend: return Line("bend %u %u %d", t, ch, int(b) * 128 + a - 8192);
    default: return std::string();
  }
}

void DumpTrack(int32_t index, std::string* out) {
  *out += Line("track %d\n", index);
  SetCurrentTrackIndex(index);
  Handle list = GetCurrentTrackEventList();
  std::vector<std::string> lines;
  if (list) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(list));
    const uint8_t* end = p + GetHandleSize(list);
    while (p < end && SeqEventTime(p) != 0) {
      uint32_t length = SeqEventLengthWithin(p, uint32_t(end - p));
      if (length == 0) {
        lines.push_back("damaged record");
        break;
      }
      std::string l = EventLine(p);
      if (!l.empty()) lines.push_back(l);
      p += length;
    }
  }
  AppendSorted(out, lines);
}

}  // namespace

std::string DumpSongCanonical() {
  std::string out;
  if (!gCurrentSong) return out;
  DumpConductor(&out);
  int32_t count = GetSongTrackCount();
  out += Line("tracks %d\n", count);
  for (int32_t i = 0; i < count; ++i) DumpTrack(i, &out);
  SetCurrentTrackIndex(0);
  return out;
}
