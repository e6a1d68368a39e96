// After the audio set-up reports code 110, new tracks take the set-up's output byte.
#pragma once

void ApplyAudioSetupOutputToNewTracks();
