// The block copy of output_render.h, shared by the hand-off and the play-rate path.
#pragma once

#include <cmath>

#include "audio/engine/engine_channels.h"
#include "audio/render/play_rate_output.h"

template <typename SourceOf>
void AddBlockToDevice(EngineChannel* channel, const float* block, const DevicePair& pair, int32_t frames,
                      SourceOf sourceOf) {
  float peakL = 0.0f, peakR = 0.0f, outPeak = 0.0f;
  int32_t last = -1, lastSource = -1;
  for (int32_t j = 0; j < frames; ++j) {
    int32_t s = sourceOf(j);
    if (s < 0) continue;
    lastSource = s;
    float l = block[2 * s], r = block[2 * s + 1];
    float& dl = pair.left[size_t(j) * pair.leftStride];
    float& dr = pair.right[size_t(j) * pair.rightStride];
    if (l != 0.0f) dl += l;
    if (r != 0.0f) dr += r;
    peakL = std::fmax(peakL, std::fabs(l));
    peakR = std::fmax(peakR, std::fabs(r));
    outPeak = std::fmax(outPeak, std::fmax(std::fabs(dl), std::fabs(dr)));
    last = j;
  }
  if (last >= 0) {
    gPlayRateMix.heldLeft = pair.left[size_t(last) * pair.leftStride];
    gPlayRateMix.heldRight = pair.right[size_t(last) * pair.rightStride];
    channel->heldFrame[0] = block[2 * lastSource];
    channel->heldFrame[1] = block[2 * lastSource + 1];
  }
  FinishDevicePeaks(channel, peakL, peakR, outPeak);
}
