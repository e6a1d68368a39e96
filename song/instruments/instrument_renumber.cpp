// Keeping every reference into the instrument table right when records are removed or
// inserted: the instrument words of the tracks of every open song (and of their child
// sequences) and the instrument index of every engine channel.
#include <algorithm>
#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/output_match.h"
#include "song/instruments/plugin_hooks.h"
#include "song/model/audio_engine_hooks.h"
#include "song/model/song_layout.h"
#include "song/model/songs.h"

namespace {

constexpr uint16_t kNoInstrumentWord = 0xFFFF;
constexpr int32_t kMaxChildDepth = 8;
constexpr uint16_t kInstrumentSelection = 4;  // the mixer selection kind of an instrument

// How old instrument indexes map to new ones. For a removed index, track words take the best
// surviving match (or leave the table) and engine channels the nearest survivor before it.
struct InstrumentMap {
  std::vector<int32_t> next;        // new index of a kept index, -1 for a removed one
  std::vector<int32_t> trackTarget; // for removed indexes: new index, -1 none
  std::vector<int32_t> channelTarget;
  int32_t insertAt = -1;            // insertion: indexes at or above move up by insertCount
  int32_t insertCount = 0;
  int32_t removed = 0;
};

// Maps one track word; returns false when the track must stop playing through the table.
bool MapTrackWord(const InstrumentMap& map, uint16_t* word) {
  if (*word == kNoInstrumentWord) return true;
  int32_t index = *word >> 8;
  int32_t mapped = index;
  if (map.insertAt >= 0) {
    if (index >= map.insertAt) mapped = std::min(index + map.insertCount, kMaxInstruments - 1);
  } else if (index < int32_t(map.next.size())) {
    mapped = map.next[size_t(index)] >= 0 ? map.next[size_t(index)] : map.trackTarget[size_t(index)];
    if (mapped < 0) return false;
  } else {
    mapped = index - map.removed;  // beyond the table: still beyond it, read as the last
  }
  *word = uint16_t((mapped << 8) | (*word & 0xFF));
  return true;
}

void RenumberTrack(const InstrumentMap& map, uint8_t* track) {
  if (!(track[kTrackFlags] & kTrackFlagPlaysInstrument)) return;
  int32_t channels = std::clamp<int32_t>(track[kTrackChannelCount], 1, kTrackInstrumentSlots);
  bool keep = true;
  for (int32_t c = 0; c < channels; ++c) {
    uint16_t word = ReadU16BE(track + kTrackInstruments + 2 * c);
    if (!MapTrackWord(map, &word)) keep = false;
    WriteU16BE(track + kTrackInstruments + 2 * c, word);
  }
  if (!keep) track[kTrackFlags] &= uint8_t(~kTrackFlagPlaysInstrument);
}

void RenumberSongBlock(const InstrumentMap& map, Handle song, int32_t depth);

void RenumberChildren(const InstrumentMap& map, uint8_t* track, int32_t depth) {
  TrackEntryView view(track);
  int32_t children = std::min<int32_t>(view.ChildCount(), kMaxChildSequences);
  for (int32_t c = 0; c < children; ++c) RenumberSongBlock(map, view.Child(c), depth + 1);
}

// Walks a song block's TrackEntry records with checked lengths. A child that is a link stands
// for an open song that is visited on its own, so it is skipped.
void RenumberSongBlock(const InstrumentMap& map, Handle song, int32_t depth) {
  if (depth > kMaxChildDepth || !song || !IsValidHandle(song)) return;
  Size size = GetHandleSize(song);
  if (size < kSongHeaderSize) return;
  uint8_t* p = reinterpret_cast<uint8_t*>(*song);
  if (depth > 0 && SongHeaderView(p).IsLink()) return;
  int32_t tracks = SongHeaderView(p).TrackCount();
  Size offset = kSongHeaderSize;
  for (int32_t t = 0; t < tracks; ++t) {
    if (offset + kTrackEntrySize > size) return;
    int32_t length = ReadU16BE(p + offset);
    if (length < kTrackEntrySize || offset + length > size) return;
    RenumberTrack(map, p + offset);
    RenumberChildren(map, p + offset, depth);
    p = reinterpret_cast<uint8_t*>(*song);  // children never move this block, but be safe
    offset += length;
  }
}

void RenumberOpenSongs(const InstrumentMap& map) {
  if (!gSongHandles || !IsValidHandle(gSongHandles)) return;
  int32_t slots = std::min<int32_t>(gSongCount, GetHandleSize(gSongHandles) / 4);
  for (int32_t i = 0; i < slots; ++i) {
    Handle song(ReadU32BE(*gSongHandles + 4 * i));
    RenumberSongBlock(map, song, 0);
  }
}

int32_t MapEngineChannel(EngineChannel* channel, void* block) {
  const InstrumentMap& map = *static_cast<const InstrumentMap*>(block);
  if (!channel || GetEngineChannelInstrument(channel) == kNoEngineInstrument) return 0;
  int32_t index = GetEngineChannelInstrument(channel);
  if (map.insertAt >= 0) {
    if (index >= map.insertAt) SetEngineChannelInstrument(channel, uint16_t(index + map.insertCount));
  } else if (index < int32_t(map.next.size())) {
    int32_t mapped = map.next[size_t(index)];
    SetEngineChannelInstrument(channel, uint16_t(mapped >= 0 ? mapped : map.channelTarget[size_t(index)]));
  } else {
    SetEngineChannelInstrument(channel, uint16_t(index - map.removed));
  }
  return 0;
}

void ApplyMap(InstrumentMap& map) {
  RenumberOpenSongs(map);
  ForEachInstrumentPlugin(MapEngineChannel, &map);
}

// A song's mixer selection of an instrument names it by its index.
void RenumberMixerSelections(const InstrumentMap& map) {
  if (!gSongHandles || !IsValidHandle(gSongHandles)) return;
  int32_t slots = std::min<int32_t>(gSongCount, GetHandleSize(gSongHandles) / 4);
  for (int32_t i = 0; i < slots; ++i) {
    Handle song(ReadU32BE(*gSongHandles + 4 * i));
    if (!song || !IsValidHandle(song) || GetHandleSize(song) < kSongHeaderSize) continue;
    uint8_t* p = reinterpret_cast<uint8_t*>(*song);
    if (ReadU16BE(p + kSongSelectionKind) != kInstrumentSelection) continue;
    int32_t item = ReadU16BE(p + kSongMixerItem);
    if (item < int32_t(map.next.size()) && map.next[size_t(item)] >= 0)
      WriteU16BE(p + kSongMixerItem, uint16_t(map.next[size_t(item)]));
  }
}

}  // namespace

void RenumberInstrumentReferencesForDeletion(int32_t bit) {
  uint8_t mask = uint8_t(1u << (bit & 7));
  InstrumentMap map;
  size_t count = size_t(std::max(gInstrumentCount, 0));
  map.next.assign(count, -1);
  map.trackTarget.assign(count, -1);
  map.channelTarget.assign(count, -1);
  int32_t kept = 0;
  int32_t lastKept = -1;
  for (size_t i = 0; i < count; ++i) {
    if (GetInstrumentRecord(int32_t(i))[kInstFlags] & mask) {
      map.channelTarget[i] = lastKept >= 0 ? lastKept : 0;
      ++map.removed;
      continue;
    }
    map.next[i] = kept;
    lastKept = kept++;
  }
  for (size_t i = 0; i < count; ++i) {
    if (map.next[i] >= 0) continue;
    InstrumentView view(GetInstrumentRecord(int32_t(i)));
    int32_t best = FindInstrumentForOutput(view.DeviceKind(0), view.Port(0), view.Channel(0), bit);
    map.trackTarget[i] = best >= 0 ? map.next[size_t(best)] : -1;
  }
  ApplyMap(map);
}

void RenumberInstrumentReferencesForInsertion(int32_t at, int32_t count) {
  if (count <= 0) return;
  InstrumentMap map;
  map.insertAt = std::max(at, 0);
  map.insertCount = count;
  ApplyMap(map);
}

void RenumberInstrumentReferencesForOrder(const int32_t* newIndex, int32_t count) {
  if (!newIndex || count <= 0) return;
  InstrumentMap map;
  map.next.assign(newIndex, newIndex + count);
  map.trackTarget.assign(size_t(count), -1);
  map.channelTarget.assign(size_t(count), 0);
  ApplyMap(map);
  RenumberMixerSelections(map);
}
