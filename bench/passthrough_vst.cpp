// A pass-through VST 2 effect for the plug-in render benchmark: two inputs copied to two
// outputs, nothing else. Built as a shared object of its own and loaded like any plug-in.
#include <cstring>

#include "platform/vst/vst_interface.h"

namespace {

void ProcessReplacing(AEffect*, float** inputs, float** outputs, VstInt32 frames) {
  for (int c = 0; c < 2; ++c)
    if (outputs[c] != inputs[c]) std::memcpy(outputs[c], inputs[c], size_t(frames) * sizeof(float));
}

void Process(AEffect*, float** inputs, float** outputs, VstInt32 frames) {
  for (int c = 0; c < 2; ++c)
    for (VstInt32 i = 0; i < frames; ++i) outputs[c][i] += inputs[c][i];
}

VstIntPtr Dispatcher(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  if (opcode == kEffClose) delete effect;
  return 0;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(AudioMasterCallback) {
  auto* e = new AEffect();
  e->magic = kEffectMagic;
  e->dispatcher = Dispatcher;
  e->process = Process;
  e->processReplacing = ProcessReplacing;
  e->numInputs = 2;
  e->numOutputs = 2;
  e->flags = kEffFlagsCanReplacing;
  e->uniqueID = static_cast<VstInt32>(FourCC("ZpTh"));
  return e;
}
