// The plug-ins' side of the instrument table's plug-in hooks (song/instruments/plugin_hooks.h).
#pragma once

// Fills gInstrumentPluginHooks. Called by InstallProgramHooks.
void InstallPluginHooks();
