#include "shell/base/error_report_setup.h"

#include "shell/base/audio_setup_output.h"
#include "shell/base/new_song_defaults.h"

// Interim: the audio set-up dialog that fills the output record is not built yet; the
// record stays zero until it is.
uint8_t gAudioSetupOutput[4] = {};

void ApplyAudioSetupOutputToNewTracks() {
  gNewSongDefaults.trackType = gAudioSetupOutput[3];
  gNewSongDefaults.trackMidiOutput = 0;
  gNewSongDefaults.trackByte136 = 0;
}
