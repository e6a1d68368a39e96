// The plug-in host's side of the audio engine's plug-in hooks (audio/engine/engine_plugin_hooks.h).
#pragma once

// Fills gEnginePluginHooks. Called by InstallProgramHooks; calling it again changes nothing.
void InstallPluginEngineHooks();
