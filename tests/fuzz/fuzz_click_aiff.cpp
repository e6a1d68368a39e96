// Feeds arbitrary bytes to the click plug-in's AIFF reader: a header it accepts must describe
// samples that lie inside the bytes, and decoding them must stay there.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "click/click_aiff.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ClickAiffInfo info;
  if (ParseClickAiffHeader(data, size, &info) != noErr) return 0;
  float* samples = static_cast<float*>(std::malloc(sizeof(float) * info.frames));
  if (!samples) return 0;
  DecodeClickSamples(data, info, samples);
  for (uint32_t i = 0; i < info.frames; ++i) {
    if (!(samples[i] >= -1.0f && samples[i] <= 1.0f)) std::abort();
  }
  std::free(samples);
  return 0;
}
