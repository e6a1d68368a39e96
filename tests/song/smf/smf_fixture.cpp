#include "tests/song/smf/smf_fixture.h"

#include "song/events/data_events.h"

namespace {

std::string BlockBytes(Handle h) {
  if (!h || !IsValidHandle(h)) return "-";
  return std::string(HandleData(h), size_t(GetHandleSize(h)));
}

}  // namespace

std::vector<SeenEvent> SmfTest::Events(int32_t i) {
  std::vector<SeenEvent> out;
  const uint8_t* track = GetTrackEntryAt(i);
  if (!track) return out;
  Handle list = TrackEntryView(const_cast<uint8_t*>(track)).EventList();
  if (!list) return out;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(HandleData(list));
  const uint8_t* end = p + GetHandleSize(list);
  while (p < end && SeqEventTime(p) != 0) {
    uint32_t length = SeqEventLengthWithin(p, uint32_t(end - p));
    if (length == 0) {
      ADD_FAILURE() << "damaged record in track " << i;
      break;
    }
    SeenEvent e{SeqEventTime(p), EventStatus(p), p[kEventData1], p[kEventData2], 0, 0, p[kEventFlags], {}};
    if (length == uint32_t(kLongEventSize)) {
      e.d3 = p[kEventData3];
      e.duration = GetNoteDuration(p);
    }
    if (SeqEventKind(p) == kKindVariable) {
      uint32_t n = GetDataEventLength(p);
      e.data.assign(p + kDataEventData, p + kDataEventData + n);
    }
    out.push_back(e);
    p += length;
  }
  return out;
}

std::vector<SeenEvent> SmfTest::Notes(int32_t i) {
  std::vector<SeenEvent> notes;
  for (const SeenEvent& e : Events(i))
    if ((e.status & 0xF0) == kKindNote) notes.push_back(e);
  return notes;
}

std::string SmfTest::TrackName(int32_t i) {
  const uint8_t* track = GetTrackEntryAt(i);
  if (!track) return "?";
  std::string name(reinterpret_cast<const char*>(track + kTrackName), kTrackNameLength);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

std::string SmfTest::SongName() {
  const uint8_t* name = gCurrentSong + kSongName;
  return std::string(reinterpret_cast<const char*>(name + 1), name[0]);
}

std::string SmfTest::SongTableSnapshot() {
  std::string out;
  PushSongContext();
  for (int32_t slot = 0; slot < gSongCount; ++slot) {
    Handle song = GetSongHandleAt(slot);
    out += "slot " + std::to_string(slot) + " " + std::to_string(song.id) + "\n";
    if (!song) continue;
    SelectSongIndex(slot);
    SelectSong(song);
    out += BlockBytes(song);
    SongHeaderView header(gCurrentSong);
    out += BlockBytes(header.ConductorMap()) + BlockBytes(header.MarkerList());
    for (int32_t i = 0; i < GetSongTrackCount(); ++i) {
      const uint8_t* track = GetTrackEntryAt(i);
      if (track) out += BlockBytes(TrackEntryView(const_cast<uint8_t*>(track)).EventList());
    }
  }
  PopSongContext();
  return out;
}
