#include "shell/base/error_report_setup.h"

#include "shell/base/audio_setup_output.h"

// Interim: the audio set-up dialog that fills the output record is not built yet; the
// record stays zero until it is, and the copy below is the whole behaviour.
uint8_t gAudioSetupOutput[4] = {};
uint8_t gNewTrackDefaultOutput[3] = {};

void ApplyAudioSetupOutputToNewTracks() {
  gNewTrackDefaultOutput[0] = gAudioSetupOutput[3];
  gNewTrackDefaultOutput[1] = 0;
  gNewTrackDefaultOutput[2] = 0;
}
