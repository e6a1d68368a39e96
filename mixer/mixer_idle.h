// The mixer's and the instrument window's steps of the idle pass.
#pragma once

// The mixer's refresh from its plug-ins' changes; the idle pass calls it while the mixer
// window is visible.
void MixerMetersIdle();
// The instrument window's meter timer while the window is visible.
void InstrumentWindowIdle();
