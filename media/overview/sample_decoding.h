// Reading one sample of a track's audio by its encoding class (ClassifySampleFormat) and its
// width in bytes: integer classes give the signed value (offset binary less its zero), the
// float class the big-endian float.
#pragma once

#include <cstdint>

#include "audio/streams/stream_media_hooks.h"
#include "platform/memory/byte_order.h"

template <int Bytes, bool Little, bool Unsigned>
struct IntSample {
  using Value = int32_t;
  static int32_t Get(const uint8_t* p) {
    uint32_t u = 0;
    for (int i = 0; i < Bytes; ++i) u = (u << 8) | p[Little ? Bytes - 1 - i : i];
    if (Unsigned) return int32_t(int64_t(u) - (int64_t(1) << (Bytes * 8 - 1)));
    if (Bytes < 4) return int32_t(u << (32 - Bytes * 8)) >> (32 - Bytes * 8);
    return int32_t(u);
  }
};
struct FloatSample {
  using Value = float;
  static float Get(const uint8_t* p) { return ReadF32BE(p); }
};

// The signed value of an integer sample of 1 to 4 bytes.
int32_t DecodeIntSample(const uint8_t* p, int16_t formatClass, int32_t bytes);
