// Rate conversion of the clicks: lengths and interpolated values, and that no pair of rates
// makes it write past its buffer (the sanitizer build watches the writes).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "click/click_rate_conversion.h"

namespace {

std::vector<float> Ramp(uint32_t n) {
  std::vector<float> in(n);
  for (uint32_t i = 0; i < n; ++i) in[i] = static_cast<float>(i) / 4096.0f;
  return in;
}

uint32_t ExpectedLength(uint32_t n, float fileRate, float hostRate) {
  double step = static_cast<float>(fileRate / hostRate);
  return static_cast<uint32_t>(n / step);
}

TEST(ClickRateConversion, InterpolatesTheInputAtEachStep) {
  struct Case {
    float fileRate;
    float hostRate;
  };
  for (Case c : {Case{44100, 48000}, Case{48000, 44100}, Case{22050, 44100}, Case{96000, 44100}}) {
    std::vector<float> in = Ramp(1000);
    float* out = nullptr;
    uint32_t count = 0;
    ASSERT_EQ(ConvertClickSampleRate(in.data(), 1000, c.fileRate, c.hostRate, &out, &count), noErr);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(count, ExpectedLength(1000, c.fileRate, c.hostRate))
        << c.fileRate << "->" << c.hostRate;
    double step = static_cast<float>(c.fileRate / c.hostRate);
    // Every position inside the input reads the ramp there.
    for (uint32_t j = 0; j < count && j * step <= 999.0; ++j)
      ASSERT_NEAR(out[j], j * step / 4096.0, 1e-4) << c.fileRate << "->" << c.hostRate << " " << j;
    std::free(out);
  }
}

TEST(ClickRateConversion, StaysInsideItsBufferForAnyPairOfRates) {
  const float rates[] = {1000.0f, 7999.0f, 11025.0f, 44100.0f, 44101.0f, 48000.0f, 96000.0f,
                         192000.0f, 768000.0f};
  for (uint32_t n : {1u, 2u, 3u, 777u, 4096u}) {
    std::vector<float> in = Ramp(n);
    for (float from : rates) {
      for (float to : rates) {
        float* out = nullptr;
        uint32_t count = 0;
        ASSERT_EQ(ConvertClickSampleRate(in.data(), n, from, to, &out, &count), noErr);
        EXPECT_EQ(count, ExpectedLength(n, from, to)) << n << " " << from << "->" << to;
        if (count) {
          EXPECT_TRUE(std::isfinite(out[count - 1]));
        }
        std::free(out);
      }
    }
  }
}

TEST(ClickRateConversion, RefusesRatesItCannotUse) {
  std::vector<float> in = Ramp(16);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    float fileRate;
    float hostRate;
  };
  for (Case c : {Case{0, 44100}, Case{44100, 0}, Case{-44100, 44100}, Case{44100, -1},
                 Case{nan, 44100}, Case{44100, nan}, Case{inf, 44100}, Case{44100, inf},
                 Case{1, 1e9f}}) {
    float* out = reinterpret_cast<float*>(&in);
    uint32_t count = 7;
    EXPECT_EQ(ConvertClickSampleRate(in.data(), 16, c.fileRate, c.hostRate, &out, &count),
              paramErr)
        << c.fileRate << "->" << c.hostRate;
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(count, 0u);
  }
}

}  // namespace
