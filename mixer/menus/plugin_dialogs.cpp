#include "mixer/menus/plugin_dialogs.h"

#include <cstdio>
#include <cstring>

#include "platform/text/pascal_strings.h"
#include "platform/windows/windows.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/plugin_devices.h"
#include "plugins/host/plugin_instance.h"
#include "plugins/library/plugin_table.h"
#include "shell/dialogs/dialog_controls.h"
#include "shell/dialogs/dialog_state.h"
#include "shell/dialogs/dialog_toolkit.h"
#include "shell/dialogs/nib_dialog.h"
#include "shell/dialogs/nib_dialog_events.h"
#include "shell/dialogs/nib_dialog_text.h"

namespace {

constexpr int32_t kKindCount = 6;
constexpr int32_t kChannelCount = 16;
constexpr int32_t kFirstKindNibble = 9;
constexpr int16_t kNoteOffBit = 8;
constexpr uint16_t kFilterFlagBit = 0x0001;
enum : int32_t { kInfoSamplesId = 3, kInfoMillisecondsId = 4, kInfoIdId = 5 };

void SetText(StringPtr out, const char* text) { CopyCStringToPascal(text, out); }

OSStatus HandleInfoEvent(EventHandlerCallRef callRef, EventRef event, void* data) {
  OSStatus result = HandleNibDialogEvent(callRef, event, static_cast<NibDialog*>(data), 1);
  return result == paramErr ? eventNotHandledErr : result;
}

bool AllBytesOpen(const PluginInstance* plugin) {
  for (uint8_t b : plugin->controllerMask)
    if (b != 0xFF) return false;
  return true;
}

void FillFilterDialog(const PluginInstance* plugin, const MidiFilterChoice& choice) {
  for (int32_t k = 0; k < kKindCount; ++k) SetDialogCheckbox(int16_t(kFilterFirstKindItem + k), choice.kinds[k]);
  for (int32_t c = 0; c < kChannelCount; ++c) SetDialogCheckbox(int16_t(kFilterFirstChannelItem + c), choice.channels[c]);
  SetDialogCheckbox(kFilterFlagItem, choice.flag);
  char hex[3 * 16 + 1] = {};
  for (int32_t i = 0; i < 16; ++i) std::snprintf(hex + 3 * i, 4, "%02X ", plugin->controllerMask[i]);
  Str255 text;
  CopyCStringToPascal(hex, text);
  SetDialogItemString(text, kFilterBytesItem);
}

MidiFilterChoice ReadFilterDialog() {
  MidiFilterChoice choice;
  for (int32_t k = 0; k < kKindCount; ++k) choice.kinds[k] = GetDialogControlValue(int16_t(kFilterFirstKindItem + k)) != 0;
  for (int32_t c = 0; c < kChannelCount; ++c)
    choice.channels[c] = GetDialogControlValue(int16_t(kFilterFirstChannelItem + c)) != 0;
  choice.flag = GetDialogControlValue(kFilterFlagItem) != 0;
  return choice;
}

}  // namespace

bool GetPluginInfoTexts(uint32_t chainHead, int32_t position, PluginInfoTexts* texts) {
  const PluginInstance* plugin = GetChainPlugin(chainHead, position);
  if (!plugin || !texts) return false;
  uint32_t samples = SumChainLatency(chainHead, 0, 0);
  char text[64];
  std::snprintf(text, sizeof text, "%u", samples);
  SetText(texts->latencySamples, text);
  double rate = plugin->sampleRate > 0 ? plugin->sampleRate : 44100.0;
  std::snprintf(text, sizeof text, "%.1f", samples * 1000.0 / rate);
  SetText(texts->latencyMilliseconds, text);
  const PluginInfo* info = PluginInfoAt(int32_t(plugin->tableIndex));
  uint32_t id = info ? info->uniqueId : 0;
  char code[5] = {char(id >> 24), char(id >> 16), char(id >> 8), char(id), 0};
  for (char& c : code)
    if (c != 0 && (c < 32 || c > 126)) c = '?';
  texts->id[0] = 4;
  std::memcpy(texts->id + 1, code, 4);
  GetPluginInstanceName(plugin, texts->title);
  return true;
}

OSStatus ShowPluginInfoDialog(uint32_t chainHead, int32_t position, Point where) {
  PluginInfoTexts texts;
  if (!GetPluginInfoTexts(chainHead, position, &texts)) return paramErr;
  NibDialog dialog;
  OSStatus err = CreateNibDialog("plugininfo", &dialog, HandleInfoEvent, 0);
  if (err == noErr) {
    SetWTitle(dialog.window, texts.title);
    MoveWindow(dialog.window, where.h, where.v, false);
    SetDialogText(dialog.window, texts.latencySamples, kInfoSamplesId);
    SetDialogText(dialog.window, texts.latencyMilliseconds, kInfoMillisecondsId);
    SetDialogText(dialog.window, texts.id, kInfoIdId);
    RunNibDialogModal(&dialog, 0, nullptr);
  }
  DisposeNibDialog(&dialog);
  return err;
}

MidiFilterChoice ReadMidiFilterChoice(const PluginInstance* plugin) {
  MidiFilterChoice choice;
  if (!plugin) return choice;
  int16_t kinds = plugin->midiKindMask;
  for (int32_t k = 0; k < kKindCount; ++k) choice.kinds[k] = kinds == -1 || (kinds & (1 << (kFirstKindNibble + k)));
  for (int32_t c = 0; c < kChannelCount; ++c) choice.channels[c] = plugin->midiChannelMask & (1u << c);
  choice.flag = plugin->midiOptions & kFilterFlagBit;
  return choice;
}

bool ApplyMidiFilterChoice(PluginInstance* plugin, const MidiFilterChoice& choice) {
  if (!plugin) return false;
  uint16_t kinds = 0;
  bool allKinds = true;
  for (int32_t k = 0; k < kKindCount; ++k) {
    if (choice.kinds[k]) kinds |= uint16_t(1u << (kFirstKindNibble + k));
    allKinds = allKinds && choice.kinds[k];
  }
  if (choice.kinds[0]) kinds |= uint16_t(1u << kNoteOffBit);
  uint16_t channels = 0;
  for (int32_t c = 0; c < kChannelCount; ++c)
    if (choice.channels[c]) channels |= uint16_t(1u << c);
  bool everything = allKinds && channels == 0xFFFF && !choice.flag && AllBytesOpen(plugin);
  bool flagChanged = ((plugin->midiOptions & kFilterFlagBit) != 0) != choice.flag;
  plugin->midiKindMask = everything ? int16_t(-1) : int16_t(kinds);
  plugin->midiChannelMask = channels;
  plugin->midiOptions = uint16_t(choice.flag ? (plugin->midiOptions | kFilterFlagBit) : (plugin->midiOptions & ~kFilterFlagBit));
  return flagChanged;
}

bool RunPluginMidiFilterDialog(PluginInstance* plugin) {
  if (!plugin || !OpenDialogById(kMidiFilterDialogId)) return false;
  FillFilterDialog(plugin, ReadMidiFilterChoice(plugin));
  ShowCurrentDialog();
  bool changed = false;
  for (;;) {
    int16_t hit = RunModalDialog();
    if (hit == 1) {
      changed = ApplyMidiFilterChoice(plugin, ReadFilterDialog());
      break;
    }
    if (hit == 2 || hit == 0) break;
    if (hit == kFilterAllChannelsItem || hit == kFilterNoChannelsItem) {
      for (int32_t c = 0; c < kChannelCount; ++c)
        SetDialogCheckbox(int16_t(kFilterFirstChannelItem + c), hit == kFilterAllChannelsItem);
    } else if ((hit >= kFilterFirstKindItem && hit < kFilterFirstKindItem + kKindCount) || hit == kFilterFlagItem ||
               (hit >= kFilterFirstChannelItem && hit < kFilterFirstChannelItem + kChannelCount)) {
      ToggleDialogControl(hit);
    }
  }
  CloseCurrentDialog();
  return changed;
}
