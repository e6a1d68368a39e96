// Big-endian field access for records kept as byte images (songs, tracks, events,
// resources, file headers). Fields are read and written through these, never by casting
// a packed struct.
#pragma once

#include <cstdint>
#include <cstring>

inline uint8_t ReadU8(const void* p) { return *static_cast<const uint8_t*>(p); }
inline int8_t ReadI8(const void* p) { return static_cast<int8_t>(ReadU8(p)); }
inline void WriteU8(void* p, uint8_t v) { *static_cast<uint8_t*>(p) = v; }
inline void WriteI8(void* p, int8_t v) { WriteU8(p, static_cast<uint8_t>(v)); }

inline uint16_t ReadU16BE(const void* p) {
  const uint8_t* b = static_cast<const uint8_t*>(p);
  return static_cast<uint16_t>((b[0] << 8) | b[1]);
}
inline int16_t ReadI16BE(const void* p) { return static_cast<int16_t>(ReadU16BE(p)); }
inline void WriteU16BE(void* p, uint16_t v) {
  uint8_t* b = static_cast<uint8_t*>(p);
  b[0] = static_cast<uint8_t>(v >> 8);
  b[1] = static_cast<uint8_t>(v);
}
inline void WriteI16BE(void* p, int16_t v) { WriteU16BE(p, static_cast<uint16_t>(v)); }

inline uint32_t ReadU32BE(const void* p) {
  const uint8_t* b = static_cast<const uint8_t*>(p);
  return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}
inline int32_t ReadI32BE(const void* p) { return static_cast<int32_t>(ReadU32BE(p)); }
inline void WriteU32BE(void* p, uint32_t v) {
  uint8_t* b = static_cast<uint8_t*>(p);
  b[0] = static_cast<uint8_t>(v >> 24);
  b[1] = static_cast<uint8_t>(v >> 16);
  b[2] = static_cast<uint8_t>(v >> 8);
  b[3] = static_cast<uint8_t>(v);
}
inline void WriteI32BE(void* p, int32_t v) { WriteU32BE(p, static_cast<uint32_t>(v)); }

inline uint64_t ReadU64BE(const void* p) {
  const uint8_t* b = static_cast<const uint8_t*>(p);
  return (uint64_t(ReadU32BE(b)) << 32) | ReadU32BE(b + 4);
}
inline int64_t ReadI64BE(const void* p) { return static_cast<int64_t>(ReadU64BE(p)); }
inline void WriteU64BE(void* p, uint64_t v) {
  uint8_t* b = static_cast<uint8_t*>(p);
  WriteU32BE(b, static_cast<uint32_t>(v >> 32));
  WriteU32BE(b + 4, static_cast<uint32_t>(v));
}
inline void WriteI64BE(void* p, int64_t v) { WriteU64BE(p, static_cast<uint64_t>(v)); }

inline float ReadF32BE(const void* p) {
  uint32_t bits = ReadU32BE(p);
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}
inline void WriteF32BE(void* p, float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  WriteU32BE(p, bits);
}
inline double ReadF64BE(const void* p) {
  uint64_t bits = ReadU64BE(p);
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}
inline void WriteF64BE(void* p, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  WriteU64BE(p, bits);
}

// Little-endian forms, for the formats that use them (WAVE, VST chunks on disk).
inline uint16_t ReadU16LE(const void* p) {
  const uint8_t* b = static_cast<const uint8_t*>(p);
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}
inline uint32_t ReadU32LE(const void* p) {
  const uint8_t* b = static_cast<const uint8_t*>(p);
  return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}
inline void WriteU16LE(void* p, uint16_t v) {
  uint8_t* b = static_cast<uint8_t*>(p);
  b[0] = static_cast<uint8_t>(v);
  b[1] = static_cast<uint8_t>(v >> 8);
}
inline void WriteU32LE(void* p, uint32_t v) {
  uint8_t* b = static_cast<uint8_t*>(p);
  for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The 80-bit IEEE extended float of AIFF headers (sample rates): sign and 15-bit exponent,
// then a 64-bit mantissa with an explicit integer bit. NaN and infinity read as 0.
double ReadExtended80(const void* p);
void WriteExtended80(void* p, double v);

// A thin typed view over a record's bytes: derive from it and name the fields.
//
//   struct ConductorView : RecordView {
//     using RecordView::RecordView;
//     uint32_t Tick() const { return U32(0); }
//     void SetTick(uint32_t t) { SetU32(0, t); }
//   };
//
// The view holds a plain address, so it lives only while the block cannot move.
class RecordView {
 public:
  explicit RecordView(void* bytes) : p_(static_cast<uint8_t*>(bytes)) {}
  uint8_t* bytes() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 protected:
  uint8_t U8(size_t off) const { return p_[off]; }
  int8_t I8(size_t off) const { return static_cast<int8_t>(p_[off]); }
  uint16_t U16(size_t off) const { return ReadU16BE(p_ + off); }
  int16_t I16(size_t off) const { return ReadI16BE(p_ + off); }
  uint32_t U32(size_t off) const { return ReadU32BE(p_ + off); }
  int32_t I32(size_t off) const { return ReadI32BE(p_ + off); }
  float F32(size_t off) const { return ReadF32BE(p_ + off); }
  double F64(size_t off) const { return ReadF64BE(p_ + off); }
  void SetU8(size_t off, uint8_t v) { p_[off] = v; }
  void SetI8(size_t off, int8_t v) { p_[off] = static_cast<uint8_t>(v); }
  void SetU16(size_t off, uint16_t v) { WriteU16BE(p_ + off, v); }
  void SetI16(size_t off, int16_t v) { WriteI16BE(p_ + off, v); }
  void SetU32(size_t off, uint32_t v) { WriteU32BE(p_ + off, v); }
  void SetI32(size_t off, int32_t v) { WriteI32BE(p_ + off, v); }
  void SetF32(size_t off, float v) { WriteF32BE(p_ + off, v); }
  void SetF64(size_t off, double v) { WriteF64BE(p_ + off, v); }

 private:
  uint8_t* p_;
};
