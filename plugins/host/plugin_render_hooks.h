// The render entries of the audio engine's plug-in hooks (gEnginePluginHooks): the channel
// whose chain renders now, the block's MIDI, the chain render, the output path's render
// requests and the click channel added at Play. Installed by InstallPluginEngineHooks.
#pragma once

void InstallPluginRenderHooks();
