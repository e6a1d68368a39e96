// The host's side of the VST 2 interface: the callback every VST plug-in is given when it is
// loaded (its only way to ask the host anything), the mapping of an AEffect back to the
// instance and the rack that hold it, and the few host words that the callback reads
// (the chain rendering now, the idle request of a plug-in still being opened, the record of
// opcodes nobody answers).
#pragma once

#include <cstdint>

#include "platform/memory/mac_types.h"
#include "platform/vst/vst_interface.h"

struct EngineChannel;
struct PluginInstance;

// The vendor and product strings the host answers (terminating zero included).
constexpr int32_t kHostVendorStringBytes = 16;
constexpr int32_t kHostProductStringBytes = 9;
extern const char kHostVendorString[kHostVendorStringBytes];
extern const char kHostProductString[kHostProductStringBytes];

// The host capabilities a plug-in may ask about (audioMasterCanDo), in their fixed order.
constexpr int32_t kHostCanDoCount = 8;
extern const char* const kHostCanDo[kHostCanDoCount];
enum : int32_t { kCanDoSendVstMidiEvent = 1, kCanDoReceiveVstMidiEvent = 4 };

// Opcodes the callback does not answer: bit n of word 0 for opcodes 0..31, bit (n - 32) of
// word 1 for 32..63. Never cleared while the program runs (a diagnostic record).
extern uint32_t gUnansweredOpcodes[2];
// 1 when a plug-in asked for idle time before its instance existed; the instance code copies
// it into the new instance's needs-idle flag and clears it.
extern uint32_t gPendingNeedIdle;
// Set when a plug-in asked for idle time from inside one of its own calls; the idle pass runs
// the idle work afterwards (RunDeferredPluginIdle) instead of inside the plug-in's call.
extern uint32_t gDeferredPluginIdle;

// The audioMaster callback handed to every VST plug-in.
VstIntPtr HandleAudioMasterCall(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                VstIntPtr value, void* ptr, float opt);

// The instance that holds the effect, or null (also while the plug-in's entry point runs).
PluginInstance* FindInstanceForEffect(AEffect* effect);
// The insert rack whose chain holds the effect and the effect's position in it (from 0);
// null and -1 when no rack holds it.
// Main thread (it walks the songs).
Handle FindRackForEffect(AEffect* effect, int32_t* position);
Handle FindRackForInstance(const PluginInstance* instance, int32_t* position);

// Asks for the instance's display to be refreshed (kind 0: values, non-zero: the program)
// and for the main editor window to be redrawn; nothing while the instance's no-refresh flag
// is set, or for null. The Always form ignores the no-refresh flag.
void MarkPluginDisplayDirty(PluginInstance* instance, int32_t kind);
void MarkPluginDisplayDirtyAlways(PluginInstance* instance, int32_t kind);

// When the effect now reports another number of parameters: drops the instance's cached
// parameter tables and keeps the new count.
void RefreshVstParameterCount(PluginInstance* instance);

// The engine channel whose chain renders on this thread now, or null outside rendering.
// The engine reaches StorePluginRenderChannel through its hook entry setRenderChannel
// (SetPluginRenderChannel); the word is per thread, so a render on the engine thread never
// changes what the main thread sees.
void StorePluginRenderChannel(EngineChannel* channel);
EngineChannel* GetPluginRenderChannel();

// The idle work a plug-in asked for inside its own call (audioMasterIdle): when asked, each
// instance that wants idle time or has its editor open gets its idle call (PluginIdle).
// Called from the application's idle pass, never from inside a plug-in or while rendering.
void RunDeferredPluginIdle();
