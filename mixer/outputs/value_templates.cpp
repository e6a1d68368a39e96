#include "mixer/outputs/value_templates.h"

#include <cstring>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"
#include "shell/base/arithmetic.h"

namespace {

// Stores b at 1-based position p of the message when the message has it.
void PutAt(uint8_t* message, int32_t length, int32_t p, uint8_t b) {
  if (p >= 1 && p <= length) message[p - 1] = b;
}

}  // namespace

uint8_t TemplateChecksum(const uint8_t* message, int32_t length) {
  uint32_t sum = 0;
  for (int32_t i = 5; i < length - 2; ++i) sum += message[i];
  uint32_t check = 128 - (sum & 127);
  return uint8_t(check == 128 ? 0 : check);
}

int32_t FillValueTemplate(Handle templ, int32_t value, uint8_t channel, uint8_t* out, int32_t outSize) {
  if (!templ || !*templ) return 0;
  Size size = GetHandleSize(templ);
  if (size < kTemplateMessage) return 0;
  const uint8_t* t = reinterpret_cast<const uint8_t*>(*templ);
  int32_t length = ReadU16BE(t + kTemplateLength);
  if (length <= 0 || length > size - kTemplateMessage || length > outSize) return 0;
  std::memcpy(out, t + kTemplateMessage, size_t(length));
  int32_t lo = t[kTemplateMinimum], hi = t[kTemplateMaximum];
  PutAt(out, length, ReadI32BE(t + kTemplateValuePosition), uint8_t(lo + MulDivRound32(hi - lo, value, 127)));
  PutAt(out, length, ReadI32BE(t + kTemplateChannelPosition), channel);
  int32_t check = ReadI32BE(t + kTemplateChecksumPosition);
  PutAt(out, length, check, TemplateChecksum(out, length));
  return length;
}
