// The requests the windows and keys leave for the transport: play, stop and record from the
// info panel's buttons and the keys. The idle pass turns them into transport operations on the
// main thread.
#pragma once

// Play from the locate point when the transport is stopped.
void RequestTransportPlay();
// Stop a running pass.
void RequestTransportStop();
// Record from the locate point.
void RequestTransportRecord();
