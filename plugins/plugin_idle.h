// Plug-in hosting's steps of the idle pass: the plug-in editor windows, ReWire, the plug-in
// menus, and the count of the current song's track devices.
#pragma once

#include <cstdint>

void PluginWindowsIdle();
void ReWireIdle();
// Brings the plug-in menus up to date.
void UpdatePluginMenus();
// The number of song-track plug-in devices of the current song.
int32_t CountSongTrackDevices(int32_t kind);
// The device id of the n-th (from 0) song-track device of the current song; 0 beyond the count.
uint8_t GetSongTrackDeviceId(int32_t n);
