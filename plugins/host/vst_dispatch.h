// Calls into a VST plug-in's dispatcher, and the word that tells the host callback which
// instance the plug-in code running on this thread belongs to.
//
// The current instance is per thread: the main thread's opening and dispatcher calls and the
// engine thread's render each see their own, so a callback never takes the instance of a
// call on another thread.
#pragma once

#include <cstdint>

#include "platform/vst/vst_interface.h"

struct PluginInstance;

// gOpeningPlugin: the instance id whose plug-in code this thread is running; 0 none;
// kOpeningPluginPending while a plug-in's entry point runs and its instance does not exist.
constexpr uint32_t kOpeningPluginPending = 0xFFFFFFFFu;
// Initialised by a constant: other files reach it without a thread-local initialiser call,
// which the render pays for at every insert otherwise.
extern thread_local constinit uint32_t gOpeningPlugin;

// Calls the instance's dispatcher with this thread's current instance set to it; 0 when the
// instance has no effect or the effect no dispatcher. The current instance is left set
// (the render and the open clear it when they are done).
VstIntPtr CallVstDispatcher(PluginInstance* record, VstInt32 opcode, VstInt32 index,
                            VstIntPtr value, void* ptr, float opt);
// Asks effCanDo with text; the plug-in's answer (1 yes, -1 no, 0 don't know).
VstIntPtr AskVstCanDo(PluginInstance* record, const char* text);
