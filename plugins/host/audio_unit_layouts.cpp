#include "plugins/host/audio_unit_layouts.h"

#include <cstdlib>

#include "platform/events/classic_events.h"
#include "platform/memory/memory.h"
#include "platform/menus/menus.h"
#include "platform/text/pascal_strings.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/library/plugin_table.h"
#include "shell/base/busy_cursor.h"
#include "song/documents/playback_reset.h"

namespace {

constexpr int16_t kNoDistance = 0x7FFF;
constexpr int16_t kWantLargestOutput = -2;
constexpr MenuID kChannelCountMenuId = 31925;  // the pop-up of channel counts, while it shows

// An output count the engine can take for a fixed wanted count: mono, stereo or an even
// number of channels, at most 32.
bool IsTakeableOutput(int16_t outputs) {
  return outputs >= 0 && outputs <= kMaxPluginChannels &&
         (outputs == 1 || outputs == 2 || outputs % 2 == 0);
}

int16_t Resolve(int16_t entry, int16_t wanted) {
  if (entry >= 0) return entry;
  return wanted >= 0 ? wanted : 2;
}

struct Choice {
  int32_t index = -1;
  int16_t distance = kNoDistance;
};

// Scoring for a fixed wanted output; wantedOutput may be changed by a {-1, -1} entry.
Choice ChooseForOutput(const AUChannelInfo* list, int32_t count, int16_t wantedInput,
                       int16_t* wantedOutput) {
  Choice best;
  for (int32_t i = 0; i < count; ++i) {
    int16_t in = list[i].inChannels, out = list[i].outChannels;
    if (out < 0) {
      if (in == -1 && out == -1 && wantedInput >= 0) *wantedOutput = wantedInput;
      return {i, 0};
    }
    if (!IsTakeableOutput(out)) continue;
    if (out == *wantedOutput) {
      best = {i, 0};
      if (in == wantedInput || wantedInput < 0) break;
      continue;
    }
    int32_t score = std::abs(out - *wantedOutput);
    if (out < *wantedOutput) score *= 2;
    if (score < best.distance || (score == best.distance && in == wantedInput))
      best = {i, int16_t(score)};
  }
  return best;
}

// The entry with the most outputs, at most 32 (the engine's limit on a side).
Choice ChooseLargestOutput(const AUChannelInfo* list, int32_t count) {
  Choice best;
  int16_t largest = 0;
  for (int32_t i = 0; i < count; ++i) {
    int16_t out = list[i].outChannels;
    if (out > largest && out <= kMaxPluginChannels) {
      largest = out;
      best = {i, 0};
    }
  }
  return best;
}

// Any output: the first entry, or the first whose input matches.
Choice ChooseForInput(const AUChannelInfo* list, int32_t count, int16_t wantedInput) {
  Choice best;
  for (int32_t i = 0; i < count; ++i) {
    if (best.index < 0) best = {i, 0};
    if (list[i].inChannels == wantedInput) return {i, 0};
  }
  return best;
}

}  // namespace

int16_t ChooseChannelConfig(const AUChannelInfo* list, int32_t count, int16_t wantedInput,
                            int16_t wantedOutput, int16_t* outInput, int16_t* outOutput) {
  Choice best;
  if (list != nullptr && count > 0) {
    if (wantedOutput >= 0) best = ChooseForOutput(list, count, wantedInput, &wantedOutput);
    else if (wantedOutput == kWantLargestOutput) best = ChooseLargestOutput(list, count);
    else best = ChooseForInput(list, count, wantedInput);
  }
  AUChannelInfo entry{-1, -1};
  if (list != nullptr && count > 0) entry = list[best.index >= 0 ? best.index : 0];
  if (outInput) *outInput = Resolve(entry.inChannels, wantedInput);
  if (outOutput) *outOutput = Resolve(entry.outChannels, wantedOutput);
  return best.index >= 0 ? best.distance : kNoDistance;
}

uint32_t CountBusElements(AudioUnit unit, AudioUnitScope scope) {
  uint32_t count = 0;
  uint32_t size = sizeof(count);
  if (AudioUnitGetProperty(unit, kAudioUnitProperty_ElementCount, scope, 0, &count, &size) != noErr)
    return 0;
  return count;
}

OSStatus GetStreamFormat(AudioUnit unit, AudioStreamBasicDescription* format,
                         AudioUnitScope scope, AudioUnitElement element) {
  uint32_t size = sizeof(*format);
  return AudioUnitGetProperty(unit, kAudioUnitProperty_StreamFormat, scope, element, format, &size);
}

OSStatus SetBusStreamChannels(AudioUnit unit, AudioUnitScope scope, uint32_t* channelsOut,
                              uint32_t channels, AudioUnitElement element) {
  if (channelsOut) *channelsOut = 0;
  AudioStreamBasicDescription format;
  OSStatus err = GetStreamFormat(unit, &format, scope, element);
  if (err != noErr) return err;
  format.mChannelsPerFrame = channels;
  if (!(format.mFormatFlags & kAudioFormatFlagIsNonInterleaved))
    format.mBytesPerPacket = format.mBytesPerFrame = 4 * channels;
  err = AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, scope, element, &format,
                             sizeof(format));
  AudioStreamBasicDescription accepted;
  if (GetStreamFormat(unit, &accepted, scope, element) == noErr && channelsOut)
    *channelsOut = accepted.mChannelsPerFrame;
  return err;
}

AUChannelInfo* CopySupportedChannels(AudioUnit unit, int32_t* count) {
  if (count) *count = 0;
  uint32_t size = 0;
  Boolean writable = false;
  if (AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_SupportedNumChannels,
                               kAudioUnitScope_Global, 0, &size, &writable) != noErr ||
      size < sizeof(AUChannelInfo)) {
    return nullptr;
  }
  auto* list = reinterpret_cast<AUChannelInfo*>(NewPtr(Size(size)));
  if (list == nullptr) return nullptr;
  if (AudioUnitGetProperty(unit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global,
                           0, list, &size) != noErr || size < sizeof(AUChannelInfo)) {
    DisposePtr(reinterpret_cast<Ptr>(list));
    return nullptr;
  }
  if (count) *count = int32_t(size / sizeof(AUChannelInfo));
  return list;
}

uint32_t SumBusChannels(AudioUnit unit, uint32_t busCount, uint8_t* channels,
                        AudioUnitScope scope) {
  if (busCount > uint32_t(kMaxPluginBuses)) busCount = kMaxPluginBuses;
  uint32_t sum = 0;
  for (uint32_t bus = 0; bus < busCount; ++bus) {
    AudioStreamBasicDescription format;
    uint32_t n = GetStreamFormat(unit, &format, scope, bus) == noErr ? format.mChannelsPerFrame : 0;
    if (n > 255) n = 255;
    if (channels) channels[bus] = uint8_t(n);
    sum += n;
  }
  return sum;
}

uint32_t FindBusOfChannel(const uint8_t* channels, uint32_t busCount, uint32_t n) {
  uint32_t sum = 0;
  for (uint32_t bus = 0; bus < busCount; ++bus) {
    if (sum + channels[bus] > n) return bus;
    sum += channels[bus];
  }
  return busCount;
}

void TrimOutputBuses(PluginInstance* instance, uint32_t n) {
  uint32_t buses = instance->outputBuses;
  if (buses > uint32_t(kMaxPluginBuses)) buses = kMaxPluginBuses;
  instance->outputBuses = FindBusOfChannel(instance->outputBusChannels, buses, n);
  uint32_t sum = 0;
  for (uint32_t bus = 0; bus < uint32_t(kMaxPluginBuses); ++bus) {
    if (bus >= instance->outputBuses) instance->outputBusChannels[bus] = 0;
    sum += instance->outputBusChannels[bus];
  }
  instance->outputChannels = sum;
}

void DeriveOutputLayout(PluginInstance* instance) {
  uint32_t buses = instance->outputBuses;
  if (buses > uint32_t(kMaxPluginBuses)) buses = kMaxPluginBuses;
  uint8_t count = uint8_t(buses);
  uint32_t stereo = 0;
  for (uint32_t bus = 0; bus < buses; ++bus) {
    if (instance->outputBusChannels[bus] > 2) count = 0;
    if (instance->outputBusChannels[bus] == 2) stereo |= 1u << bus;
  }
  instance->outputCount = count;
  instance->stereoOutputs = stereo;
}

uint8_t MayReinitialize(const PluginInstance* instance) {
  const PluginInfo* info = PluginInfoAt(int32_t(instance->tableIndex));
  return info == nullptr || !(info->pluginFlags & kPluginInfoNoReinitialize) ? 1 : 0;
}

namespace {

// Channels of element 0 of a scope, 0 when the scope has no readable format.
bool ReadBusZero(AudioUnit unit, AudioUnitScope scope, AudioStreamBasicDescription* format) {
  return GetStreamFormat(unit, format, scope, 0) == noErr;
}

void RestoreBusZero(AudioUnit unit, AudioUnitScope scope, const AudioStreamBasicDescription& format) {
  AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, scope, 0, &format, sizeof(format));
}

// A unit without a supported-channels list: the bit of its channel count, and the bit of the
// other of mono and stereo when both scopes take it alike; the formats are put back after.
uint8_t TrialFormatBits(AudioUnit unit) {
  AudioStreamBasicDescription in, out;
  bool haveIn = ReadBusZero(unit, kAudioUnitScope_Input, &in);
  bool haveOut = ReadBusZero(unit, kAudioUnitScope_Output, &out);
  // A unit without an input bus (an instrument) is judged by its output.
  uint32_t channels = haveIn ? in.mChannelsPerFrame : (haveOut ? out.mChannelsPerFrame : 0);
  uint8_t bits = channels >= 1 && channels <= 8 ? uint8_t(1u << (channels - 1)) : 0;
  if (channels != 1 && channels != 2) return bits;  // the trial swaps mono and stereo only
  uint32_t other = channels ^ 3, tookIn = other, tookOut = other;
  if (haveIn) SetBusStreamChannels(unit, kAudioUnitScope_Input, &tookIn, other, 0);
  if (haveOut) SetBusStreamChannels(unit, kAudioUnitScope_Output, &tookOut, other, 0);
  if (tookIn == other && tookOut == other) bits |= uint8_t(1u << (other - 1));
  if (haveIn) RestoreBusZero(unit, kAudioUnitScope_Input, in);
  if (haveOut) RestoreBusZero(unit, kAudioUnitScope_Output, out);
  return bits;
}

uint32_t Limit(uint32_t buses) { return buses > uint32_t(kMaxPluginBuses) ? kMaxPluginBuses : buses; }

// Sets buses 0.. of a scope to the planned counts, stopping before a bus that would take the
// total past 32 channels; answers the buses laid out.
uint32_t ApplyBusPlan(AudioUnit unit, AudioUnitScope scope, const uint8_t* plan, uint32_t buses,
                      OSStatus* err) {
  uint32_t total = 0, bus = 0;
  for (; bus < buses && plan[bus] > 0; ++bus) {
    if (total + plan[bus] > uint32_t(kMaxPluginChannels)) break;
    uint32_t took = 0;
    OSStatus result = SetBusStreamChannels(unit, scope, &took, plan[bus], bus);
    if (result != noErr && *err == noErr) *err = result;
    total += took;
  }
  return bus;
}

// Reads the instance's per-bus counts and totals back from the unit.
void ReadInstanceCounts(PluginInstance* instance) {
  instance->inputBuses = Limit(instance->inputBuses);
  instance->outputBuses = Limit(instance->outputBuses);
  instance->inputChannels = SumBusChannels(instance->unit, instance->inputBuses,
                                           instance->inputBusChannels, kAudioUnitScope_Input);
  instance->outputChannels = SumBusChannels(instance->unit, instance->outputBuses,
                                            instance->outputBusChannels, kAudioUnitScope_Output);
  if (instance->outputChannels > uint32_t(kMaxPluginChannels))
    TrimOutputBuses(instance, kMaxPluginChannels);
  DeriveOutputLayout(instance);
}

void DisposeList(AUChannelInfo* list) {
  if (list) DisposePtr(reinterpret_cast<Ptr>(list));
}

}  // namespace

OSStatus NegotiateAudioUnitFormats(AudioUnit unit, uint32_t* inputs, uint32_t* outputs,
                                   uint32_t outputBusCount, uint8_t* outputChannels,
                                   uint8_t* formatBits, uint32_t inputBusCount,
                                   uint8_t* inputChannels) {
  int32_t count = 0;
  AUChannelInfo* list = CopySupportedChannels(unit, &count);
  uint8_t bits = 0;
  if (list != nullptr) {
    int16_t in = 0, out = 0;
    ChooseChannelConfig(list, count, -1, kWantLargestOutput, &in, &out);
    uint32_t took = 0;
    if (inputBusCount > 0) SetBusStreamChannels(unit, kAudioUnitScope_Input, &took, uint32_t(in), 0);
    if (outputBusCount > 0) SetBusStreamChannels(unit, kAudioUnitScope_Output, &took, uint32_t(out), 0);
    DisposeList(list);
  } else {
    bits = TrialFormatBits(unit);
  }
  if (formatBits) *formatBits = bits;
  uint32_t in = SumBusChannels(unit, Limit(inputBusCount), inputChannels, kAudioUnitScope_Input);
  uint32_t out = SumBusChannels(unit, Limit(outputBusCount), outputChannels, kAudioUnitScope_Output);
  if (inputs) *inputs = in;
  if (outputs) *outputs = out;
  return noErr;
}

OSStatus LayOutAudioUnitBuses(int32_t inputs, PluginInstance* instance, const AUChannelInfo* list,
                              int32_t count, int32_t outputs, uint8_t spread, AudioUnit unit) {
  uint32_t inBuses = Limit(instance->inputBuses), outBuses = Limit(instance->outputBuses);
  uint8_t inPlan[kMaxPluginBuses] = {}, outPlan[kMaxPluginBuses] = {};
  int32_t perBusInput = inBuses > 1 ? inputs / int32_t(inBuses) : inputs;
  int16_t in = int16_t(perBusInput), out = int16_t(outputs);
  int16_t distance = 0;
  if (list != nullptr) distance = ChooseChannelConfig(list, count, in, out, &in, &out);
  for (uint32_t bus = 0; bus < inBuses; ++bus) inPlan[bus] = uint8_t(in < 0 ? 0 : in);
  uint32_t outUsed = outBuses > 0 ? 1 : 0;
  outPlan[0] = uint8_t(out < 0 ? 0 : (out > 255 ? 255 : out));
  if (list != nullptr && distance != 0 && outBuses > 1 && spread && out > 0) {
    // Whole buses of the chosen count until the wanted outputs are covered.
    int32_t left = outputs;
    for (outUsed = 0; outUsed < outBuses && left > 0; ++outUsed, left -= out) outPlan[outUsed] = uint8_t(out);
  } else {
    for (uint32_t bus = 1; bus < outBuses; ++bus) outPlan[bus] = instance->outputBusChannels[bus];
    outUsed = outBuses;
  }
  OSStatus err = noErr;
  ApplyBusPlan(unit, kAudioUnitScope_Input, inPlan, inBuses, &err);
  instance->outputBuses = ApplyBusPlan(unit, kAudioUnitScope_Output, outPlan, outUsed, &err);
  if (instance->outputBuses == 0 && outBuses > 0) instance->outputBuses = 1;
  return err;
}

OSStatus SetPluginChannelCounts(PluginInstance* instance, int32_t inputs, int32_t outputs) {
  if (instance == nullptr || instance->unit == 0 || instance->effect != nullptr) return paramErr;
  if (inputs < 0 || outputs < 0 || inputs > kMaxPluginChannels || outputs > kMaxPluginChannels) return paramErr;
  if (uint32_t(inputs) == instance->inputChannels && uint32_t(outputs) == instance->outputChannels) return noErr;
  AudioUnit unit = instance->unit;
  bool reinitialise = (instance->stateFlags & kPluginStateInitialised) && MayReinitialize(instance);
  if (reinitialise) {
    SpinBusyCursor();
    AudioUnitUninitialize(unit);
    instance->stateFlags &= ~kPluginStateInitialised;
  }
  AudioStreamBasicDescription savedIn, savedOut;
  bool haveIn = ReadBusZero(unit, kAudioUnitScope_Input, &savedIn);
  bool haveOut = ReadBusZero(unit, kAudioUnitScope_Output, &savedOut);
  uint32_t savedOutBuses = instance->outputBuses;
  int32_t count = 0;
  AUChannelInfo* list = CopySupportedChannels(unit, &count);
  OSStatus err = LayOutAudioUnitBuses(inputs, instance, list, count, outputs, instance->outputBuses > 1, unit);
  if (reinitialise) {
    OSStatus init = AudioUnitInitialize(unit);
    if (init != noErr && list == nullptr) {
      // One bus on each side, at most stereo out.
      uint32_t took = 0;
      if (haveIn) SetBusStreamChannels(unit, kAudioUnitScope_Input, &took, uint32_t(inputs), 0);
      if (haveOut) SetBusStreamChannels(unit, kAudioUnitScope_Output, &took, uint32_t(outputs > 2 ? 2 : outputs), 0);
      instance->outputBuses = savedOutBuses > 0 ? 1 : 0;
      init = AudioUnitInitialize(unit);
    }
    if (init != noErr) {
      if (haveIn) RestoreBusZero(unit, kAudioUnitScope_Input, savedIn);
      if (haveOut) RestoreBusZero(unit, kAudioUnitScope_Output, savedOut);
      instance->outputBuses = savedOutBuses;
      if (AudioUnitInitialize(unit) == noErr) instance->stateFlags |= kPluginStateInitialised;
      if (err == noErr) err = init;
    } else {
      instance->stateFlags |= kPluginStateInitialised;
    }
  }
  DisposeList(list);
  ReadInstanceCounts(instance);
  return err;
}

OSStatus ReopenPluginWithChannels(PluginInstance* instance, int32_t layout) {
  if (instance == nullptr) return paramErr;
  const PluginInfo* info = PluginInfoAt(int32_t(instance->tableIndex));
  if (info == nullptr) return paramErr;
  ResetPlaybackState(1);
  int32_t inputs = layout == kLayoutInputs ? info->inputCount : int32_t(instance->inputChannels);
  int32_t outputs = layout == kLayoutOutputs ? info->outputCount : int32_t(instance->outputChannels);
  return SetPluginChannelCounts(instance, inputs, outputs);
}

namespace {

constexpr int32_t kMaxCountChoices = 24;

// Adds a count to the ascending list when it is new and in range.
void OfferCount(int32_t* counts, int32_t* n, int32_t count, int32_t lowest) {
  if (count < lowest || count > kMaxPluginChannels || *n >= kMaxCountChoices) return;
  int32_t at = 0;
  while (at < *n && counts[at] < count) ++at;
  if (at < *n && counts[at] == count) return;
  for (int32_t i = *n; i > at; --i) counts[i] = counts[i - 1];
  counts[at] = count;
  ++*n;
}

}  // namespace

int32_t CountChoicesFromList(const AUChannelInfo* list, int32_t entries, uint8_t outputSide,
                             uint32_t buses, int32_t* counts) {
  int32_t lowest = outputSide ? 1 : 0, found = 0;
  int32_t* n = &found;
  for (int32_t i = 0; i < entries; ++i) {
    int32_t side = outputSide ? list[i].outChannels : list[i].inChannels;
    if (side < 0) {
      int32_t most = -side;
      if (most == 1 || most > kMaxPluginChannels) most = kMaxPluginChannels;
      for (int32_t c = 2; c <= most; ++c) OfferCount(counts, n, c, lowest);
      continue;
    }
    OfferCount(counts, n, side, lowest);
    for (uint32_t k = 2; k <= buses && side > 0; ++k) OfferCount(counts, n, side * int32_t(k), lowest);
  }
  return found;
}

int32_t CollectChannelCountChoices(uint8_t outputSide, PluginInstance* instance, int32_t* counts) {
  if (instance == nullptr || instance->unit == 0 || counts == nullptr) return 0;
  int32_t lowest = outputSide ? 1 : 0, n = 0;
  uint32_t buses = Limit(outputSide ? instance->outputBuses : instance->inputBuses);
  int32_t entries = 0;
  AUChannelInfo* list = CopySupportedChannels(instance->unit, &entries);
  if (list != nullptr) {
    n = CountChoicesFromList(list, entries, outputSide, buses, counts);
    DisposeList(list);
    return n;
  }
  uint8_t perBus[kMaxPluginBuses] = {};
  SumBusChannels(instance->unit, buses, perBus, outputSide ? kAudioUnitScope_Output : kAudioUnitScope_Input);
  int32_t sum = 0;
  for (uint32_t bus = 0; bus < buses; ++bus) OfferCount(counts, &n, sum += perBus[bus], lowest);
  if (instance->formatBits & 1) OfferCount(counts, &n, 1, lowest);
  if (instance->formatBits & 2) OfferCount(counts, &n, 2, lowest);
  return n;
}

int32_t ChooseChannelCountMenu(uint8_t outputSide, PluginInstance* instance) {
  int32_t counts[kMaxCountChoices];
  int32_t n = CollectChannelCountChoices(outputSide, instance, counts);
  if (n == 0) return -1;
  static const unsigned char kNoTitle[] = {0};
  MenuRef menu = NewMenu(kChannelCountMenuId, kNoTitle);
  if (menu == nullptr) return -1;
  int32_t current = int32_t(outputSide ? instance->outputChannels : instance->inputChannels);
  int16_t currentItem = 1;
  for (int32_t i = 0; i < n; ++i) {
    Str255 text;
    NumToString(counts[i], text);
    AppendMenuItemTextLiteral(menu, text);
    if (counts[i] == current) {
      CheckMenuItem(menu, MenuItemIndex(i + 1), true);
      currentItem = int16_t(i + 1);
    }
  }
  InsertMenu(menu, -1);
  Point where;
  GetGlobalMouse(&where);
  int32_t chosen = PopUpMenuSelect(menu, where.v, where.h, currentItem);
  DeleteMenu(kChannelCountMenuId);
  DisposeMenu(menu);
  int32_t item = chosen & 0xFFFF;
  if ((chosen >> 16) == 0 || item < 1 || item > n) return -1;
  int32_t count = counts[item - 1];
  if (PluginInfo* info = PluginInfoAt(int32_t(instance->tableIndex))) {
    if (outputSide) info->outputCount = uint16_t(count);
    else info->inputCount = uint16_t(count);
  }
  ReopenPluginWithChannels(instance, outputSide ? kLayoutOutputs : kLayoutInputs);
  RequestPluginWindowRefresh(kRefreshMixer);
  return count;
}
