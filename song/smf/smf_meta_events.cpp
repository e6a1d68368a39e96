#include "song/smf/smf_meta_events.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "song/model/key_codes.h"

namespace {

constexpr uint32_t kTrackNameMax = 32;
constexpr uint32_t kSongNameMax = 31;
constexpr uint32_t kInstrumentNameMax = 16;
constexpr uint32_t kMarkerNameMax = 255;
constexpr int32_t kMaxPower = 6;
constexpr int32_t kMaxBeats = 64;
constexpr int32_t kMaxBarTicks = 0xFFFF;

// A Pascal string of at most max characters of the event's text.
void CopyText(const uint8_t* data, uint32_t length, uint32_t max, unsigned char* out) {
  if (length > max) length = max;
  out[0] = uint8_t(length);
  if (length) std::memcpy(out + 1, data, length);
}

void AddMarker(SmfTrackInfo* info, uint32_t tick, uint8_t kind, uint16_t value,
               const uint8_t* data, uint32_t length) {
  if (info->markers.size() >= size_t(kSmfMaxMarkers)) return;
  SmfMarker marker;
  CopyText(data, length, kMarkerNameMax, marker.name);
  while (marker.name[0] > 0 && marker.name[marker.name[0]] <= ' ') --marker.name[0];
  if (marker.name[0] == 0) return;
  marker.tick = tick;
  marker.kind = kind;
  marker.value = value;
  info->markers.push_back(marker);
}

void AddChange(SmfTrackInfo* info, uint32_t tick, uint8_t kind, uint16_t value, uint8_t beats) {
  SmfConductorChange change;
  change.tick = tick;
  change.kind = kind;
  change.value = value;
  change.beats = beats;
  info->changes.push_back(change);
}

void HandleName(const uint8_t* data, uint32_t length, const SmfTrackOptions* options,
                SmfTrackInfo* info) {
  if (options->firstChunk && options->namesSong) {
    CopyText(data, length, kSongNameMax, info->songName);
    info->hasSongName = true;
    return;
  }
  CopyText(data, length, kTrackNameMax, info->trackName);
  info->hasTrackName = true;
}

void HandleStartOffset(const uint8_t* data, uint32_t length, SmfTrackInfo* info) {
  if (length < 5) return;
  SmfStartOffset& o = info->startOffset;
  o.present = true;
  o.rateCode = uint8_t((data[0] >> 5) & 3);
  o.hours = data[0] & 0x1F;
  o.minutes = data[1];
  o.seconds = data[2];
  o.frames = data[3];
  o.subframes = uint8_t((uint32_t(data[4]) * 80 + 50) / 100);
}

}  // namespace

int32_t SmfTempoFromMicroseconds(uint32_t microseconds) {
  if (microseconds == 0) return kSmfMaxTempo;
  int64_t tempo = (600000000LL + microseconds / 2) / microseconds;
  if (tempo < kSmfMinTempo) return kSmfSlowTempoFallback;
  if (tempo > kSmfMaxTempo) return kSmfMaxTempo;
  return int32_t(tempo);
}

int32_t SmfKeyCode(int8_t accidentals) {
  if (accidentals < -7 || accidentals > 7) return -1;
  // Flats are always spelled with flats, six and seven too (G flat, C flat).
  if (accidentals < 0) return (kKeyPlaces + accidentals) | kKeyFlats;
  return accidentals;
}

bool SmfMeter(uint8_t numerator, uint8_t power, int32_t ticksPerQuarter, uint8_t* beats,
              uint16_t* ticksPerBeat) {
  if (numerator == 0 || power == 0) return false;
  int32_t shift = power > kMaxPower ? kMaxPower : power;
  int32_t beatTicks = (4 * ticksPerQuarter) >> shift;
  if (beatTicks < 1) beatTicks = 1;
  if (beatTicks > kMaxBarTicks) beatTicks = kMaxBarTicks;
  int32_t n = numerator > kMaxBeats ? kMaxBeats : numerator;
  if (n * beatTicks > kMaxBarTicks) n = kMaxBarTicks / beatTicks;
  if (n < 1) n = 1;
  *beats = uint8_t(n);
  *ticksPerBeat = uint16_t(beatTicks);
  return true;
}

bool HandleSmfMetaEvent(uint8_t type, const uint8_t* data, uint32_t length, uint32_t tick,
                        const SmfTrackOptions* options, SmfTrackInfo* info) {
  switch (type) {
    case kSmfMetaText:
      if (!info->hasTrackName && info->trackName[0] == 0)
        CopyText(data, length, kTrackNameMax, info->trackName);
      break;
    case kSmfMetaCopyright:
    case kSmfMetaLyric:
    case kSmfMetaMarker:
    case kSmfMetaCuePoint:
      if (options->makeMarkers)
        AddMarker(info, tick, type == kSmfMetaLyric ? kSmfMarkerKindLyric : kSmfMarkerKindText,
                  type == kSmfMetaCuePoint ? kSmfCuePointValue : 0, data, length);
      break;
    case kSmfMetaTrackName:
      HandleName(data, length, options, info);
      break;
    case kSmfMetaInstrumentName:
      CopyText(data, length, kInstrumentNameMax, info->instrumentName);
      break;
    case kSmfMetaEndOfTrack:
      return true;
    case kSmfMetaTempo:
      if (length >= 3)
        AddChange(info, tick, kSmfChangeTempo,
                  uint16_t(SmfTempoFromMicroseconds((uint32_t(data[0]) << 16) |
                                                    (uint32_t(data[1]) << 8) | data[2])),
                  0);
      break;
    case kSmfMetaSmpteOffset:
      HandleStartOffset(data, length, info);
      break;
    case kSmfMetaTimeSignature: {
      uint8_t beats = 0;
      uint16_t beatTicks = 0;
      if (length >= 4 &&
          SmfMeter(data[0], data[1], options->timing->ticksPerQuarter, &beats, &beatTicks))
        AddChange(info, tick, kSmfChangeMeter, beatTicks, beats);
      break;
    }
    case kSmfMetaKeySignature: {
      int32_t code = length >= 1 ? SmfKeyCode(int8_t(data[0])) : -1;
      if (code >= 0) AddChange(info, tick, kSmfChangeKey, uint16_t(code), 0);
      break;
    }
    default:
      break;
  }
  return false;
}
