#include "tests/plugins/instances/fake_effect.h"

#include <cstring>

#include "plugins/host/vst_dispatch.h"

FakeEffect* gFakeEntryEffect = nullptr;
uint32_t gFakeEntryCurrentInstance = 0;
bool gFakeEntryAsksIdle = false;

#include "platform/resources/resource_manager.h"
#include "shell/base/app_state.h"

namespace {

void ProcessNothing(AEffect*, float**, float**, VstInt32) {}

VstIntPtr FakeDispatcher(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr value, void* ptr,
                         float opt) {
  auto* fake = static_cast<FakeEffect*>(effect->user);
  fake->calls.push_back({opcode, value, opt, gOpeningPlugin});
  if (opcode == kEffGetVstVersion) return fake->vstVersion;
  if (opcode == kEffEditGetRect && ptr != nullptr && fake->editorRect.right > 0) {
    *static_cast<ERect**>(ptr) = &fake->editorRect;
    return 1;
  }
  if (opcode == kEffEditMouse) fake->appStateDuringMouse = gAppState[5];
  if (opcode == kEffEditOpen || opcode == kEffEditMouse || opcode == kEffEditGetRect)
    fake->resourceFileDuringEditor = CurResFile();
  if (opcode == kEffCanDo && ptr != nullptr) {
    if (std::strcmp(static_cast<const char*>(ptr), "receiveVstMidiEvent") == 0)
      return fake->receivesMidi;
    if (std::strcmp(static_cast<const char*>(ptr), "sendVstMidiEvent") == 0) return fake->sendsMidi;
  }
  return 0;
}

}  // namespace

FakeEffect::FakeEffect(VstInt32 inputs, VstInt32 outputs, VstInt32 id) {
  effect.magic = kEffectMagic;
  effect.dispatcher = FakeDispatcher;
  effect.process = ProcessNothing;
  effect.processReplacing = ProcessNothing;
  effect.numInputs = inputs;
  effect.numOutputs = outputs;
  effect.numParams = 3;
  effect.numPrograms = 2;
  effect.flags = kEffFlagsCanReplacing;
  effect.uniqueID = id;
  effect.user = this;
}

std::vector<DispatchCall> FakeEffect::CallsOf(VstInt32 opcode) const {
  std::vector<DispatchCall> out;
  for (const DispatchCall& c : calls)
    if (c.opcode == opcode) out.push_back(c);
  return out;
}

VstIntPtr FakeEffect::LastMains() const {
  std::vector<DispatchCall> mains = CallsOf(kEffMainsChanged);
  return mains.empty() ? -1 : mains.back().value;
}

AEffect* FakeEntryPoint(AudioMasterCallback host) {
  gFakeEntryCurrentInstance = gOpeningPlugin;
  if (gFakeEntryAsksIdle && host != nullptr) host(nullptr, kAudioMasterNeedIdle, 0, 0, nullptr, 0.0f);
  return gFakeEntryEffect ? &gFakeEntryEffect->effect : nullptr;
}

int32_t AppendVstInfo(uint32_t pluginFlags, uint8_t entryFlags) {
  PluginInfo info;
  info.kind = kPluginKindVstBundle;
  info.pluginFlags = pluginFlags;
  info.entryFlags = entryFlags;
  return AppendPluginInfo(info);
}
