// The mixer's and the instrument window's steps of the idle pass.
#pragma once

// The mixer's meters; the idle pass calls it while the mixer window is visible.
void MixerMetersIdle();
void InstrumentWindowIdle();
