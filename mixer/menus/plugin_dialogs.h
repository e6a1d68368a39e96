// The plug-in's information dialog and its MIDI filter dialog (commands 4 and 3 of the
// plug-in's contextual menu).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct PluginInstance;

// What the information dialog shows of insert `position` of the chain: the chain's latency
// in samples and in milliseconds at the plug-in's rate, and the plug-in's four-character id.
struct PluginInfoTexts {
  Str255 latencySamples;
  Str255 latencyMilliseconds;
  Str255 id;
  Str255 title;  // the plug-in's name (not the program's)
};
bool GetPluginInfoTexts(uint32_t chainHead, int32_t position, PluginInfoTexts* texts);
// The nib dialog "plugininfo", titled with the plug-in's name and placed at the clicked
// row's global point; modal, then disposed.
OSStatus ShowPluginInfoDialog(uint32_t chainHead, int32_t position, Point where);

// The boxes of the MIDI filter dialog (DITL 581): the message kinds of status nibbles 9 to 0xE
// (items 3 to 8), the channels 1 to 16 (items 18 to 33), the flag (item 14). The buttons
// that set and clear every channel box are items 34 and 35.
struct MidiFilterChoice {
  bool kinds[6] = {};
  bool channels[16] = {};
  bool flag = false;
};
enum : int16_t {
  kMidiFilterDialogId = 581,
  kFilterFirstKindItem = 3,
  kFilterBytesItem = 10,
  kFilterFlagItem = 14,
  kFilterFirstChannelItem = 18,
  kFilterAllChannelsItem = 34,
  kFilterNoChannelsItem = 35,
};
// The boxes as the plug-in's settings set them.
MidiFilterChoice ReadMidiFilterChoice(const PluginInstance* plugin);
// Rebuilds the plug-in's masks from the boxes: a kind's status nibble sets its bit (note-on
// also bit 8, note-off); every kind and channel on, the flag off and all 16 bytes 255 give
// the message mask -1 (everything passes). True when the flag changed.
bool ApplyMidiFilterChoice(PluginInstance* plugin, const MidiFilterChoice& choice);
// Runs the dialog over the plug-in's settings; true when its flag changed.
bool RunPluginMidiFilterDialog(PluginInstance* plugin);
