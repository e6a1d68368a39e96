// What the plug-in host asks of the layers above it: redraw requests for the program's
// windows, the mixer's pending redraw range and insert slots, the performance tools' MIDI
// output of plug-ins and the automation switch. Installed at start-up by the windows and
// tools that own them; an entry not installed does nothing and answers false.
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"

struct PluginInstance;
struct PluginSettings;

struct PluginHostHooks {
  // Main thread: asks the idle pass to redraw the windows whose refresh bits are set
  // (bit k: window kind k).
  void (*requestWindowRefresh)(uint32_t bits);
  // Main thread: redraws the mixer's pending redraw range.
  void (*redrawMixerRange)();
  // Main or engine thread (never blocks or allocates): a MIDI message a plug-in sends, with
  // the song tick it falls on and the plug-in's output-routing word.
  void (*sendPluginMidiOutput)(uint8_t status, uint8_t data1, int32_t data2, int32_t tick,
                               uint32_t routing);
  // Any thread: automation playback is on.
  bool (*isAutomationReading)();
  // Main thread: puts a parameter point (kind 3) at a tick into the rack's automation list
  // (with firstPoint, a point at time 0 first when there is none for the parameter; with
  // noPoint, none), widens the mixer's redraw range to it and remembers the rack as the last
  // one changed.
  void (*recordParameterPoint)(Handle rack, int32_t tick, float value, int32_t chainPosition,
                               int32_t parameter, bool noPoint, bool firstPoint);
  // Main thread: the rack of the plug-in in focus (the editors' current pane), 0 none.
  Handle (*focusedPluginRack)();
  // Main thread: a plug-in just loaded for a channel (table entry index) takes its insert slot
  // in the mixer with its settings.
  void (*openInsertInstance)(PluginInstance* instance, int32_t index, const PluginSettings* settings);
  // Main thread: the performance tools drop what they hold of an instance before it closes.
  void (*forgetPluginInstance)(uint32_t instance);
  // Main thread: the list windows are redrawn after an instance was released.
  void (*redrawPluginLists)();
  // Main thread: the label of a destination (the instance's first two format words and its
  // name, length-prefixed) as a C string; false leaves the label to the host (the name).
  bool (*buildDestinationLabel)(uint32_t kind, uint32_t number, const uint8_t* name, char* label,
                                int32_t capacity);
  // Main thread: a plug-in's MIDI output got its routing word.
  void (*registerPluginMidiOutput)(uint32_t instance, uint32_t routing);
  // Main thread: the instance's insert is opened again with the settings (a program change
  // made in the plug-in), and the patch names of a MIDI-receiving one registered again.
  void (*reopenInsert)(uint32_t instance, const uint8_t* settings, int32_t length);
  void (*registerPatchNames)(uint32_t instance);
};
extern PluginHostHooks gPluginHostHooks;

// Window refresh bits the host asks for.
enum : uint32_t {
  kRefreshMainEditor = 0x10,      // window kind 4
  kRefreshTrackWindow = 0x20,     // window kind 5
  kRefreshPluginChooser = 0x2000, // window kind 13
  kRefreshMixer = 0x4000,         // window kind 14
};

void RequestPluginWindowRefresh(uint32_t bits);
void RedrawPluginMixerRange();
// Not installed: 0.
Handle GetFocusedPluginRack();
void SendPluginMidiOutput(uint8_t status, uint8_t data1, int32_t data2, int32_t tick,
                          uint32_t routing);
bool IsAutomationReading();
void ForgetPluginInstance(uint32_t instance);
void RedrawPluginLists();
bool BuildDestinationLabel(uint32_t kind, uint32_t number, const uint8_t* name, char* label,
                           int32_t capacity);
void RegisterPluginMidiOutput(uint32_t instance, uint32_t routing);
void ReopenPluginInsert(uint32_t instance, const uint8_t* settings, int32_t length);
void RegisterPluginPatchNames(uint32_t instance);
void RecordParameterPoint(Handle rack, int32_t tick, float value, int32_t chainPosition,
                          int32_t parameter, bool noPoint, bool firstPoint);
void OpenPluginInsertSlot(PluginInstance* instance, int32_t index, const PluginSettings* settings);
