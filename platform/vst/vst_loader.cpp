#include "platform/vst/vst_loader.h"

#include <dlfcn.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct LoadedModule {
  void* library = nullptr;
  int32_t loads = 0;
  std::string path;
};

std::mutex gModulesLock;
std::vector<LoadedModule> gModules;  // module id n is entry n - 1
std::string gLoadMessage;

LoadedModule* FindModule(uint32_t module) {
  if (module == 0 || module > gModules.size()) return nullptr;
  LoadedModule& entry = gModules[module - 1];
  return entry.library != nullptr ? &entry : nullptr;
}

}  // namespace

OSErr LoadVstModule(const char* path, uint32_t* module) {
  *module = 0;
  std::lock_guard<std::mutex> hold(gModulesLock);
  for (size_t i = 0; i < gModules.size(); ++i) {
    if (gModules[i].library != nullptr && gModules[i].path == path) {
      ++gModules[i].loads;
      *module = static_cast<uint32_t>(i + 1);
      return noErr;
    }
  }
  void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* message = dlerror();
    gLoadMessage = message != nullptr ? message : "the file could not be loaded";
    return kVstNotSharedObject;
  }
  gLoadMessage.clear();
  size_t slot = 0;
  while (slot < gModules.size() && gModules[slot].library != nullptr) ++slot;
  if (slot == gModules.size()) gModules.emplace_back();
  gModules[slot] = LoadedModule{library, 1, path};
  *module = static_cast<uint32_t>(slot + 1);
  return noErr;
}

void UnloadVstModule(uint32_t module) {
  std::lock_guard<std::mutex> hold(gModulesLock);
  LoadedModule* entry = FindModule(module);
  if (entry == nullptr || --entry->loads > 0) return;
  dlclose(entry->library);
  *entry = LoadedModule{};
}

void* FindVstModuleSymbol(uint32_t module, const char* name) {
  std::lock_guard<std::mutex> hold(gModulesLock);
  LoadedModule* entry = FindModule(module);
  return entry != nullptr ? dlsym(entry->library, name) : nullptr;
}

VstPluginMainProc FindVstEntryPoint(uint32_t module) {
  void* entry = FindVstModuleSymbol(module, kVstPluginMainName);
  if (entry == nullptr) entry = FindVstModuleSymbol(module, "main");
  return reinterpret_cast<VstPluginMainProc>(entry);
}

const char* GetVstLoadMessage() { return gLoadMessage.c_str(); }

AEffect* CallVstEntryPoint(VstPluginMainProc entry, AudioMasterCallback host) {
  if (entry == nullptr) return nullptr;
  AEffect* effect = entry(host);
  if (effect == nullptr || effect->magic != kEffectMagic) return nullptr;
  return effect;
}
