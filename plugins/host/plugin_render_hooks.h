// The render entries of the audio engine's plug-in hooks (gEnginePluginHooks): the channel
// whose chain renders now, the block's MIDI, the chain render and the output path's render
// requests. Installed by InstallPluginEngineHooks.
#pragma once

void InstallPluginRenderHooks();
