// The plug-in host's answers to the engine when it prepares a channel's render state: chains
// by their head instance, their counts, latency and MIDI takers, and the MIDI state of an
// instrument channel. Installed by InstallPluginRenderHooks.
#pragma once

void InstallPluginPrepareHooks();
