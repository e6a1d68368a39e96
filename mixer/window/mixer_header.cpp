#include "mixer/window/mixer_header.h"

#include <algorithm>
#include <cstdio>

#include "mixer/window/mixer_drawing.h"
#include "mixer/window/mixer_layout.h"
#include "mixer/window/mixer_rows.h"
#include "mixer/window/mixer_selection.h"
#include "platform/memory/byte_order.h"
#include "platform/quickdraw/quickdraw.h"
#include "platform/text/pascal_strings.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/plugin_instance.h"
#include "shell/base/app_strings.h"
#include "shell/drawing/track_text.h"
#include "song/instruments/instrument_table.h"
#include "song/model/song_context.h"
#include "song/model/song_layout.h"
#include "song/model/utility_track_access.h"

namespace {

constexpr int16_t kTruncatedLabel = kSendLabelWidth;

void DrawCut(ConstStr255Param text, int16_t h, int16_t v, int16_t width) {
  Str255 cut;
  TruncatePStringToWidth(text, cut, std::max<int16_t>(width, 8), kTruncateWithEllipsis);
  MoveTo(h, v);
  DrawString(cut);
}

void InstrumentName(int32_t index, Str255 name) {
  name[0] = 0;
  const uint8_t* record = GetInstrumentRecord(index);
  if (!record) return;
  uint8_t n = std::min<uint8_t>(record[kInstName], kInstrumentNameMax);
  name[0] = n;
  for (uint8_t i = 1; i <= n; ++i) name[i] = record[kInstName + i];
}

void DrawChannelName(bool expanded) {
  int32_t kind = GetMixerSelectionKind();
  int32_t item = GetMixerSelectionItem();
  int16_t second = MixerSecondColumnLeft(expanded);
  Str255 text;
  if (kind == kMixerSelectsAuxBus) {
    CopyPString(GetInstrumentDefaultName(item - 1), text, 255);
    DrawCut(text, 5, 10, int16_t(second - 9));
    InstrumentName(gInstrumentCount + item - 1, text);
    DrawCut(text, second, 10, int16_t(kMixerWidth - 24 - second));
  } else if (kind == kMixerSelectsInstrument && item < gInstrumentCount) {
    gStringBuffer[0] = 0;
    AppendIndString(kInstrumentWordList, 23);
    char number[16];
    std::snprintf(number, sizeof number, ":%d", item + 1);
    Str255 tail;
    CopyCStringToPascal(number, tail);
    AppendPString(gStringBuffer, tail);
    DrawCut(gStringBuffer, 5, 10, int16_t(second - 9));
    InstrumentName(item, text);
    DrawCut(text, second, 10, int16_t(kMixerWidth - 24 - second));
  } else if (kind == kMixerSelectsTrack || kind == kMixerSelectsTrackToo) {
    int32_t index = FindTrackIndexByNumber(item);
    if (const uint8_t* entry = index >= 0 ? GetTrackEntryAt(index) : nullptr) {
      char number[16];
      std::snprintf(number, sizeof number, "%d ", entry[kTrackNumber] + 1);
      CopyCStringToPascal(number, text);
      Str255 name;
      GetTrackNameText(entry, name);
      AppendPString(text, name);
      DrawCut(text, 5, 10, int16_t(kMixerWidth - 30));
    }
  }
}

// The send target of send s of the aux bus record.
void DrawSendLabels(int32_t count, bool expanded) {
  const uint8_t* bus = GetInstrumentRecord(gInstrumentCount + GetMixerSelectionItem() - 1);
  for (int32_t s = 0; s < count && bus; ++s) {
    Str255 label;
    bool italic = GetSendTargetLabel(bus[kInstSends + kInstSendSize * s + 3] & 0x0F, label);
    Rect cell = MixerOutputLabelRect(expanded, s);
    if (italic) TextFace(italic);
    DrawCut(label, cell.left, int16_t(cell.bottom - 1), int16_t(s < count - 1 ? kTruncatedLabel - 2 : kMixerWidth - cell.left - 24));
    TextFace(normal);
  }
}

void DrawBusLabels(const MixerRows& rows, int32_t count, bool channels, bool expanded) {
  PluginInstance* first = rows.plugins[0];
  int32_t channel = 1;
  uint32_t stereo = 0;
  uint8_t outputs = 0;
  GetPluginIOConfig(first, &stereo, &outputs);
  for (int32_t i = 0; i < count; ++i) {
    uint8_t device = 0, second = 0, pair = 0;
    GetPluginOutputBusInfo(first, i, &device, &second, &pair);
    Str255 label;
    GetOutputBusLabel(device, second, label);
    Rect cell = MixerOutputLabelRect(expanded, i);
    DrawCut(label, cell.left, int16_t(cell.bottom - 1), kTruncatedLabel - 2);
    if (!channels) continue;
    bool wide = (stereo >> i) & 1;
    char text[24];
    if (wide) std::snprintf(text, sizeof text, "%d-%d", channel, channel + 1);
    else std::snprintf(text, sizeof text, "%d", channel);
    channel += wide ? 2 : 1;
    CopyCStringToPascal(text, label);
    if (count < 3) CopyPString(GetMessageString(kChannelsTextMessage), label, 255);
    Rect under = MixerChannelLabelRect(expanded, i);
    DrawCut(label, under.left, int16_t(under.bottom - 1), kTruncatedLabel - 2);
  }
}

}  // namespace

bool GetSendTargetLabel(int32_t target, Str255 label) {
  if (target == 0) {
    gStringBuffer[0] = 0;
    AppendIndString(kDeviceListStrList, 0);
    CopyPString(gStringBuffer, label, 255);
    return false;
  }
  if (target <= gAuxBusCount) {
    InstrumentName(gInstrumentCount + target - 1, label);
    if (label[0] == 0) CopyPString(GetInstrumentDefaultName(target - 1), label, 255);
    return false;
  }
  CopyPString(GetInstrumentDefaultName(gAuxBusCount), label, 255);
  return true;
}

// The second routing byte counts instruments from 1, as the output menu stores and checks
// it; 0 is the device output (stored with the default driver).
void GetOutputBusLabel(uint8_t device, uint8_t second, Str255 label) {
  int32_t instrument = int32_t(second) - 1;
  if (instrument >= 0 && instrument < gInstrumentCount + gAuxBusCount + 1) {
    InstrumentName(instrument, label);
  } else if (device == kBusNotConnected || second == 0) {
    gStringBuffer[0] = 0;
    AppendIndString(kDeviceListStrList, 0);
    CopyPString(gStringBuffer, label, 255);
  } else {
    CopyCStringToPascal("--", label);
  }
}

int32_t MixerSendCount(int32_t outputChannels) {
  int32_t channels = std::clamp(outputChannels, 0, 32);
  return std::min((channels + 1) / 2, kMaxMixerSends);
}

MixerLabels GetMixerLabels(const MixerRows& rows) {
  MixerLabels labels;
  if (!rows.rack || rows.locked) return labels;
  int32_t kind = GetMixerSelectionKind();
  if (kind == kMixerSelectsAuxBus) {
    if (MixerSelectsMaster()) return labels;
    int32_t firstIn, firstOut, largestOut, lastOut, largestIn;
    GetChainChannelCounts(rows.head, &firstIn, &firstOut, &largestOut, &lastOut, &largestIn);
    labels.what = kMixerLabelsSends;
    labels.count = MixerSendCount(lastOut);
  } else if (kind == kMixerSelectsInstrument) {
    labels.what = kMixerLabelsName;
    labels.count = 1;
  } else if (rows.count > 0) {
    uint32_t stereo = 0;
    uint8_t outputs = 0;
    GetPluginIOConfig(rows.plugins[0], &stereo, &outputs);
    labels.what = kMixerLabelsBusses;
    labels.count = std::clamp<int32_t>(outputs, 1, kMaxOutputBusBytes);
    labels.channelLabels = labels.count > 1;
  }
  return labels;
}

void DrawMixerHeader(const MixerRows& rows, bool expanded) {
  TextSize(9);
  DrawChannelName(expanded);
  MixerLabels labels = GetMixerLabels(rows);
  if (labels.what != kMixerLabelsNone) {
    GetMessageString(labels.count >= 2 ? kRoutingTitlePluralMessage : kRoutingTitleMessage);
    MoveTo(5, 21);
    DrawString(gStringBuffer);
  }
  if (labels.what == kMixerLabelsSends) DrawSendLabels(labels.count, expanded);
  if (labels.what == kMixerLabelsBusses) DrawBusLabels(rows, labels.count, labels.channelLabels, expanded);
  if (labels.what == kMixerLabelsName) {
    Str255 name;
    InstrumentName(GetMixerSelectionItem(), name);
    Rect cell = MixerOutputLabelRect(expanded, 0);
    DrawCut(name, cell.left, int16_t(cell.bottom - 1), int16_t(kMixerWidth - cell.left - 24));
  }
  TextSize(0);
  MoveTo(0, int16_t(MixerHeaderHeight(false) - 1));
  LineTo(kMixerWidth, int16_t(MixerHeaderHeight(false) - 1));
}
