// A VST effect made in the test: an AEffect whose dispatcher records each call, for the edge
// cases no installed plug-in shows (odd channel counts, an entry point that makes nothing).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/vst/vst_interface.h"
#include "platform/vst/vst_records.h"
#include "plugins/library/plugin_table.h"

struct DispatchCall {
  VstInt32 opcode;
  VstIntPtr value;
  float opt;
  uint32_t currentInstance;  // gOpeningPlugin on the calling thread during the call
};

struct FakeEffect {
  AEffect effect{};
  std::vector<DispatchCall> calls;
  VstIntPtr vstVersion = 2400;
  VstIntPtr receivesMidi = 0;  // effCanDo "receiveVstMidiEvent"
  VstIntPtr sendsMidi = 0;     // effCanDo "sendVstMidiEvent"
  ERect editorRect{};          // what effEditGetRect answers (nothing while empty)
  uint16_t appStateDuringMouse = 0;    // application-state word 5 during effEditMouse
  int16_t resourceFileDuringEditor = 0;  // the current resource file during editor calls

  FakeEffect(VstInt32 inputs, VstInt32 outputs, VstInt32 id = 0x46616B65);
  // The calls with this opcode, in order.
  std::vector<DispatchCall> CallsOf(VstInt32 opcode) const;
  // The value of the last effMainsChanged (-1 when none).
  VstIntPtr LastMains() const;
};

// The effect the fake entry point answers (null: it makes nothing); it records the
// thread's current instance while it runs and asks the host for idle time when asked to.
extern FakeEffect* gFakeEntryEffect;
extern uint32_t gFakeEntryCurrentInstance;
extern bool gFakeEntryAsksIdle;
AEffect* FakeEntryPoint(AudioMasterCallback host);

// A table entry for a VST plug-in (kind 10) with flags; its index.
int32_t AppendVstInfo(uint32_t pluginFlags = 0x10, uint8_t entryFlags = 0);
