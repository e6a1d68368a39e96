#include "plugins/host/vst_dispatch.h"

#include "plugins/host/plugin_instance.h"

thread_local constinit uint32_t gOpeningPlugin = 0;

VstIntPtr CallVstDispatcher(PluginInstance* record, VstInt32 opcode, VstInt32 index,
                            VstIntPtr value, void* ptr, float opt) {
  if (record == nullptr || record->effect == nullptr || record->effect->dispatcher == nullptr)
    return 0;
  gOpeningPlugin = record->id;
  return record->effect->dispatcher(record->effect, opcode, index, value, ptr, opt);
}

VstIntPtr AskVstCanDo(PluginInstance* record, const char* text) {
  return CallVstDispatcher(record, kEffCanDo, 0, 0, const_cast<char*>(text), 0.0f);
}
