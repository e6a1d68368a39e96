// The transport's side of the conductor lock state: its conductor-follow byte, the playing
// song's conductor cursor and change bits, and its option byte.
#pragma once

// Fills the transport entries of gConductorLockHooks (song/conductor/conductor_lock_hooks.h).
void InstallConductorLockTransportHooks();
