// Building Standard MIDI File bytes in tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline Bytes Vlq(uint32_t n) {
  Bytes out{uint8_t(n & 0x7F)};
  while (n >>= 7) out.insert(out.begin(), uint8_t(0x80 | (n & 0x7F)));
  return out;
}

inline void Append(Bytes* out, const Bytes& more) { out->insert(out->end(), more.begin(), more.end()); }

inline Bytes Chunk(const char* id, const Bytes& body) {
  Bytes out(id, id + 4);
  uint32_t n = uint32_t(body.size());
  Append(&out, {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
  Append(&out, body);
  return out;
}

inline Bytes Header(uint16_t format, uint16_t count, int16_t division) {
  uint16_t d = uint16_t(division);
  return Chunk("MThd", {uint8_t(format >> 8), uint8_t(format), uint8_t(count >> 8),
                        uint8_t(count), uint8_t(d >> 8), uint8_t(d)});
}

// An event: a delta time and the bytes behind it.
struct Ev {
  uint32_t delta;
  Bytes data;
};

inline Bytes Track(std::initializer_list<Ev> events) {
  Bytes body;
  for (const Ev& e : events) {
    Append(&body, Vlq(e.delta));
    Append(&body, e.data);
  }
  return Chunk("MTrk", body);
}

inline Bytes Meta(uint8_t type, const Bytes& data) {
  Bytes out{0xFF, type};
  Append(&out, Vlq(uint32_t(data.size())));
  Append(&out, data);
  return out;
}
inline Bytes Text(uint8_t type, const std::string& s) { return Meta(type, Bytes(s.begin(), s.end())); }
inline Bytes Tempo(uint32_t us) { return Meta(0x51, {uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)}); }
inline Bytes EndOfTrack() { return Meta(0x2F, {}); }

// A track's events (without its chunk): count notes of rising keys from firstKey, one every
// step ticks, each length ticks long, then the end of the track.
inline Bytes RampNotes(int count, uint8_t firstKey, uint32_t step, uint32_t length) {
  Bytes notes;
  for (int i = 0; i < count; ++i) {
    Append(&notes, Vlq(i == 0 ? 0 : step - length));
    Append(&notes, {0x90, uint8_t(firstKey + i), 100});
    Append(&notes, Vlq(length));
    Append(&notes, {0x80, uint8_t(firstKey + i), 64});
  }
  Append(&notes, Vlq(0));
  Append(&notes, EndOfTrack());
  return notes;
}

inline Bytes File(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) Append(&out, p);
  return out;
}
