// The mixer window's header: the selected channel's name and, in its second column, the
// channel's outputs (a track's output busses with their channel labels) or sends (an aux
// bus), in 50-pixel cells that the clicks share.
#pragma once

#include <cstdint>

struct MixerRows;

constexpr double kRackFaderMaxima[3] = {3.0517578125e-05, 256.0, 32768.0};
constexpr int32_t kMaxMixerSends = 8;

// What the header's second column lists.
enum : int32_t {
  kMixerLabelsNone = 0,
  kMixerLabelsSends = 1,     // an aux bus's sends
  kMixerLabelsBusses = 2,    // a track's output busses
  kMixerLabelsName = 3,      // an instrument's name
};
struct MixerLabels {
  int32_t what = kMixerLabelsNone;
  int32_t count = 0;         // labels (sends or busses)
  bool channelLabels = false;
};
MixerLabels GetMixerLabels(const MixerRows& rows);
// The sends of an aux bus whose chain has that many output channels: (channels (at most
// 32) + 1) / 2, at most 8.
int32_t MixerSendCount(int32_t outputChannels);
// The label of a send's target: 0 the device output, 1..gAuxBusCount that bus's own label (its
// default name while it has none), anything else the master's default name, drawn in italics
// (the answer is true then).
bool GetSendTargetLabel(int32_t target, unsigned char* label);

// The label of a track's output bus from its routing bytes: the output kind name for the
// device output, else the instrument's name, "--" for a target that is gone.
void GetOutputBusLabel(uint8_t device, uint8_t second, unsigned char* label);

void DrawMixerHeader(const MixerRows& rows, bool expanded);
