// The one export of the Clickvox plug-in.
#include "click/met_synth.h"

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(
    AudioMasterCallback audioMaster) {
  if (!audioMaster || audioMaster(nullptr, kAudioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
    return nullptr;
  AudioEffect* effect = CreateMetSynth(audioMaster);
  return effect ? effect->GetAeffect() : nullptr;
}
