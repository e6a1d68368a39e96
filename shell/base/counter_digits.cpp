#include "shell/base/counter_digits.h"

#include <algorithm>

int16_t gAccidentalSpacing = 6;

namespace {

constexpr int32_t kMaxAccidentals = 7;
constexpr int32_t kWidestSpacing = 6;

}  // namespace

void SetCounterDigitSpacing(int32_t count) {
  if (count <= 0) {
    gAccidentalSpacing = kWidestSpacing;
    return;
  }
  count = std::min(count, kMaxAccidentals);
  gAccidentalSpacing = int16_t(std::min<int32_t>(((28 - 4 * count) / 2) / count + 4, kWidestSpacing));
}
