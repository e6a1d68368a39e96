#include "plugins/host/plugin_host_hooks.h"

PluginHostHooks gPluginHostHooks = {};

void RequestPluginWindowRefresh(uint32_t bits) {
  if (auto request = gPluginHostHooks.requestWindowRefresh) request(bits);
}

void RedrawPluginMixerRange() {
  if (auto redraw = gPluginHostHooks.redrawMixerRange) redraw();
}

void SendPluginMidiOutput(uint8_t status, uint8_t data1, int32_t data2, int32_t tick,
                          uint32_t routing) {
  if (auto send = gPluginHostHooks.sendPluginMidiOutput) send(status, data1, data2, tick, routing);
}

bool IsAutomationReading() {
  auto reading = gPluginHostHooks.isAutomationReading;
  return reading ? reading() : false;
}

void RecordParameterPoint(Handle rack, int32_t tick, float value, int32_t chainPosition,
                          int32_t parameter, bool noPoint, bool firstPoint) {
  if (auto record = gPluginHostHooks.recordParameterPoint)
    record(rack, tick, value, chainPosition, parameter, noPoint, firstPoint);
}

void OpenPluginInsertSlot(PluginInstance* instance, int32_t index, const PluginSettings* settings) {
  if (auto open = gPluginHostHooks.openInsertInstance) open(instance, index, settings);
}

void ForgetPluginInstance(uint32_t instance) {
  if (auto forget = gPluginHostHooks.forgetPluginInstance) forget(instance);
}

void RedrawPluginLists() {
  if (auto redraw = gPluginHostHooks.redrawPluginLists) redraw();
}

bool BuildDestinationLabel(uint32_t kind, uint32_t number, const uint8_t* name, char* label,
                           int32_t capacity) {
  auto build = gPluginHostHooks.buildDestinationLabel;
  return build ? build(kind, number, name, label, capacity) : false;
}

void RegisterPluginMidiOutput(uint32_t instance, uint32_t routing) {
  if (auto tell = gPluginHostHooks.registerPluginMidiOutput) tell(instance, routing);
}

void ReopenPluginInsert(uint32_t instance, const uint8_t* settings, int32_t length) {
  if (auto reopen = gPluginHostHooks.reopenInsert) reopen(instance, settings, length);
}

void RegisterPluginPatchNames(uint32_t instance) {
  if (auto names = gPluginHostHooks.registerPatchNames) names(instance);
}

Handle GetFocusedPluginRack() {
  auto focused = gPluginHostHooks.focusedPluginRack;
  return focused ? focused() : Handle();
}
