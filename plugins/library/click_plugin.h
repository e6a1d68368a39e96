// The metronome's plug-in, Clickvox, which ships beside the program ("Clickvox.so" in the
// program's folder).
#pragma once

#include <cstdint>

#include "platform/files/file_types.h"
#include "platform/memory/mac_types.h"

// Finds Clickvox in the table (else, on the first try, adds it from the program's folder)
// and opens it for the metronome; the device byte of its instance, or 0.
uint8_t FindClickPlugin(bool retried);
// Opens entry for the metronome in the metronome's own track record (gClickTrack: made from
// the track template when it has no rack yet, the plug-in loaded into its rack as the current
// track) and makes the click device (254) play it; the record's device byte, or 0.
uint8_t OpenClickPlugin(int32_t entry);
// Whether a plug-in name is Clickvox's (it contains "Clickvox").
bool IsClickPluginName(ConstStr255Param name);
// Registers the bundle at location; *added tells whether a new entry was made.
OSErr AddBundleToPluginTable(const FSSpec* location, bool* added);
