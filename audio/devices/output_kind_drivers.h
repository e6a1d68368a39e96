// The drivers behind the output kinds: which driver procedure takes a device kind's records,
// and the audio drivers' names.
#pragma once

// Fills gOutputKindHooks (song/instruments/output_kind_hooks.h).
void InstallOutputKindHooks();
