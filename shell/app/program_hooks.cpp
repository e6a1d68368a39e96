#include "shell/app/program_hooks.h"

#include "audio/engine/audio_hooks.h"
#include "sequencer/transport/sequencer_hooks.h"

void InstallProgramHooks() {
  // Each layer's installer below fills the tables of the layers under it.
  InstallSequencerHooks();
  InstallAudioHooks();
}
