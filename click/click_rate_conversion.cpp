#include "click/click_rate_conversion.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

void ReportClickDebugMessage(const char* message) {
  std::fprintf(stderr, "Clickvox: %s\n", message);
}

// The interpolation proper: single-precision read position, double-precision arithmetic.
// Answers false when it stopped because the buffer was full.
static bool InterpolateClick(const float* in, uint32_t count, double step, float* buffer,
                             size_t allocated) {
  float t = 0.0f;
  float previous = 0.0f;
  size_t written = 0;
  size_t positions = 0;  // written or skipped: bounds the loop even if t stops advancing
  bool reportedGap = false;
  for (uint32_t i = 0; i < count; ++i) {
    float current = in[i];
    for (float d = static_cast<float>(i) - t; static_cast<double>(d) >= 0.0;
         d = static_cast<float>(i) - t) {
      if (positions++ >= allocated) return false;
      if (static_cast<double>(d) > 1.0) {
        if (!reportedGap) ReportClickDebugMessage("SR Conversion Error");
        reportedGap = true;
      } else {
        double value = static_cast<double>(d) * (double(previous) - double(current)) + current;
        buffer[written++] = static_cast<float>(value);
      }
      t = static_cast<float>(static_cast<double>(t) + step);
    }
    previous = current;
  }
  return true;
}

OSErr ConvertClickSampleRate(const float* in, uint32_t count, float fileRate, float hostRate,
                             float** out, uint32_t* outCount) {
  *out = nullptr;
  *outCount = 0;
  if (!(fileRate > 0.0f) || !(hostRate > 0.0f) || !std::isfinite(fileRate) ||
      !std::isfinite(hostRate))
    return paramErr;
  double step = static_cast<float>(fileRate / hostRate);
  double length = static_cast<double>(count) / step;
  if (!(step > 0.0) || !std::isfinite(length) || length + 1.0 > kClickMaxConvertedFrames)
    return paramErr;
  size_t allocated = static_cast<size_t>(length + 1.0);
  float* buffer = static_cast<float*>(std::calloc(allocated, sizeof(float)));
  if (!buffer) return memFullErr;
  if (!InterpolateClick(in, count, step, buffer, allocated))
    ReportClickDebugMessage("SR Buffer Error");
  *out = buffer;
  *outCount = static_cast<uint32_t>(length);
  return noErr;
}
