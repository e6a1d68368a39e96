// Clicks in the mixer window: the selection, the rack's power switch, output busses, the rack
// faders and their link, and per plug-in row removing, bypassing, selecting, the program and
// sound-bank lines, paging and the parameter knobs and values.
#pragma once

#include <cstdint>

#include "platform/events/classic_events.h"
#include "platform/quickdraw/quickdraw_types.h"

struct AppWindow;

// The click at gLastMousePoint (local to the current port); content is set for a click in the
// window's content.
void HandleMixerClick(int32_t content);
// The shell's content-click entry of window kind 14.
int32_t MixerWindowClick(AppWindow* w, Point local, EventRecord* event);
void InstallMixerWindow();
// The mixer window takes plug-ins dropped on it (once its window exists).
void InstallMixerDropHandler();

// The mixer selection after the channel pop-up answered result (the current track number
// for a track): -2001 and below an instrument (result + 2256); -2000 .. -1000 nothing;
// otherwise SetMixerSelection (result - 5, track). True when the selection changed.
bool ApplyMixerChannelChoice(int32_t result, int32_t track);
// Removes the rack's selected plug-ins (what Clear does with the mixer in front), as one
// undoable step.
void ClearSelectedMixerPlugins();
// Runs an edit of the mixer as one undoable step (RunUndoableEdit); 0 when the step could not
// be kept and the edit did not run.
int32_t MixerHelper(int32_t (*edit)(void* context), void* context);
