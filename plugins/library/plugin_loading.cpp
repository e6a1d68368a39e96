#include "plugins/library/plugin_loading.h"

#include <cstdio>
#include <algorithm>
#include <cstring>

#include "audio/devices/audio_driver.h"
#include "audio/engine/engine_prepare.h"
#include "platform/memory/memory.h"
#include "platform/resources/resources.h"
#include "platform/vst/vst_loader.h"
#include "plugins/host/insert_chains.h"
#include "plugins/host/insert_racks.h"
#include "plugins/host/plugin_host_hooks.h"
#include "plugins/host/plugin_instances.h"
#include "plugins/host/plugin_programs.h"
#include "plugins/host/plugin_settings.h"
#include "plugins/host/vst_dispatch.h"
#include "plugins/library/plugin_bundles.h"
#include "plugins/library/plugin_info_file.h"
#include "plugins/library/plugin_name_split.h"
#include "plugins/library/plugin_table_entries.h"
#include "shell/base/bmid_resources.h"
#include "shell/base/error_report.h"
#include "shell/base/preferences_file.h"
#include "shell/base/resource_files.h"
#include "song/instruments/instrument_record.h"
#include "song/instruments/instrument_table.h"
#include "song/instruments/rack_sharing.h"
#include "song/model/utility_iteration.h"

namespace {

const unsigned char kCategoryColourName[] = "\012CatToColor";
constexpr uint32_t kHostRevId = FourCC("HRev");
constexpr uint32_t kFirstLoadId = FourCC("GSiP");
constexpr uint32_t kSpecialIds[] = {FourCC("CLAm"), FourCC("737d")};

void Note(PluginInfo* entry, const char* text) {
  std::snprintf(entry->message, sizeof entry->message, "%s", text);
}

// A bundle's executable (step 3 of the load).
OSErr LoadBundleCode(PluginInfo* entry) {
  if (entry->mainEntry != 0) return noErr;
  if (LoadPluginBundleExecutable(entry->bundle) != noErr) {
    Note(entry, GetVstLoadMessage());
    return kPluginOpenFailed;
  }
  uint32_t module = GetPluginBundleModule(entry->bundle);
  if (FindVstModuleSymbol(module, kVstPluginMainName) != nullptr)
    entry->pluginFlags |= kPluginFlagVstMain;
  if (FindVstEntryPoint(module) == nullptr) {
    Note(entry, "it exports neither \"VSTPluginMain\" nor \"main\"");
    UnloadPluginBundleExecutable(entry->bundle);
    return kPluginOpenFailed;
  }
  entry->mainEntry = module;
  return noErr;
}

ResType CodeResourceType(uint8_t kind, int16_t* id) {
  *id = 0;
  switch (kind) {
    case kPluginKindVstResource:
    case kPluginKindVstOld1:
    case kPluginKindVstOld2: return FourCC("aEff");
    case kPluginKindCodeOnly: *id = 1000; return FourCC("AFlT");
    case kPluginKindEffectFile: return FourCC("pCfx");
    case kPluginKindOldCode: return FourCC("Asio");
    default: return 0;
  }
}

// A resource-file plug-in's code (steps 4 and 5). Its code resource is found, but code
// fragments cannot be prepared on this system.
OSErr LoadResourceCode(PluginInfo* entry) {
  FSSpec location;
  OSErr err = ResolvePluginFile(entry, &location);
  if (err != noErr) return err;
  int16_t ref = FSpOpenResFile(&location, fsRdPerm);
  if (ref == -1) return ResError() != noErr ? ResError() : OSErr(fnfErr);
  entry->resRefNum = ref;
  int16_t id = 0;
  ResType type = CodeResourceType(entry->kind, &id);
  Handle code = entry->code;
  if (type != 0 && !code) code = Get1Resource(type, id);
  if (type == 0 || !code) {
    ClosePluginResourceMap(entry);
    Note(entry, "the plug-in file holds no code");
    return kPluginNoCodeResource;
  }
  ClosePluginResourceMap(entry);
  Note(entry, "its code is in a form this system cannot run");
  return kPluginFragmentErr;
}

PluginInstance* LastChainPlugin(uint32_t head) {
  int32_t n = CountChainPlugins(head);
  return n > 0 ? GetChainPlugin(head, n - 1) : nullptr;
}

// Steps 7 to 10: what the new instance says about the plug-in.
OSErr TakeInstanceFacts(PluginInfo* entry, uint32_t id, uint32_t* chainHead, int32_t before) {
  OSErr result = noErr;
  ++entry->openCount;
  for (uint32_t special : kSpecialIds)
    if (id == special) entry->pluginFlags |= kPluginFlagSpecialId;
  if (entry->entryFlags & kPluginEntryInstrument) entry->pluginFlags |= kPluginFlagInstrument;
  PluginInstance* record = LastChainPlugin(*chainHead);
  if (record != nullptr) {
    int32_t inputs = 0;
    int32_t outputs = 0;
    GetPluginChannelCounts(record, &inputs, &outputs);
    // The entry describes this plug-in, so it keeps the new instance's own counts, never those
    // of a plug-in that stood before it in the chain.
    entry->inputCount = uint16_t(inputs);
    entry->outputCount = uint16_t(outputs);
    if (before > 0 && inputs == 0) result = kPluginBehindInserts;
    char vendor[256] = {};
    if (record->effect != nullptr)
      CallVstDispatcher(record, kEffGetVendorString, 0, 0, vendor, 0.0f);
    vendor[sizeof vendor - 1] = '\0';
    ApplyPluginVendor(entry, vendor);
    if (entry->category == 0 && record->effect != nullptr) GuessVstCategory(entry, record);
  }
  return result;
}

// Step 8: the new instance's settings go to its insert slot (the mixer's), and the mixer is
// drawn again.
void TakeSlotSettings(PluginInstance* opened, int32_t index) {
  PluginSettings settings;
  SavePluginSettings(opened, &settings);
  OpenPluginInsertSlot(opened, index, &settings);
  RequestPluginWindowRefresh(kRefreshMixer);
}

void CountTheLoad(PluginInfo* entry, uint32_t flags) {
  if (flags & kLoadTrial) {
    entry->loadCount = 0;
    return;
  }
  if (entry->loadCount == 0 && entry->uniqueId == kFirstLoadId)
    entry->pluginFlags |= kPluginFlagFirstLoadGSiP;
  ++entry->loadCount;
  AccessCachedPluginRecord(entry, kCacheStore, nullptr, Handle());
}

void ReportLoadError(const PluginInfo* entry, OSErr err, uint32_t flags) {
  if (err == noErr || err == kPluginBehindInserts) return;
  std::fprintf(stderr, "Plug-in \"%.*s\" could not be loaded (%d)%s%s\n", entry->name[0],
               reinterpret_cast<const char*>(entry->name + 1), err,
               entry->message[0] != '\0' ? ": " : "", entry->message);
  if ((flags & kLoadSilent) == 0) ReportError(err);
}

int32_t CountRack(Handle rack) {
  if (!IsInsertRack(rack) || (GetRackFlags(rack) & kRackFlagInsertsOff) != 0) return 0;
  uint32_t head = GetRackChainHead(rack);
  int32_t units = CountChainPlugins(head);
  PluginInstance* instrument = FindInstrumentInChain(head);
  if (instrument != nullptr && (instrument->stateFlags & kPluginStateInitialised) != 0) units += 3;
  return units;
}

int32_t CountTrackRack(void* arg) {
  *static_cast<int32_t*>(arg) += CountRack(GetTrackInsertRack());
  return 0;
}

}  // namespace

void* GetPluginMainEntry(const PluginInfo* entry) {
  if (entry == nullptr || entry->mainEntry == 0) return nullptr;
  return reinterpret_cast<void*>(FindVstEntryPoint(entry->mainEntry));
}

OSErr LoadPlugin(int32_t index, double sampleRate, int16_t slot, uint32_t* chainHead,
                 uint32_t flags) {
  return LoadVstPlugin(index, sampleRate, slot, chainHead, false, flags);
}

OSErr LoadVstPlugin(int32_t index, double sampleRate, int16_t, uint32_t* chainHead,
                    bool closeResourceMap, uint32_t flags) {
  PluginInfo* entry = PluginInfoAt(index);
  if (entry == nullptr) return paramErr;
  if ((flags & kLoadCheckLimit) && CheckPluginLimit() != noErr) return paramErr;
  OSErr err = noErr;
  if (IsAudioUnitKind(entry->kind)) {
  } else if (entry->failure != noErr) {
    err = kPluginOpenFailed;  // it failed its examination: never started in the program
  } else if (entry->kind == kPluginKindVstBundle && entry->bundle != 0) {
    err = LoadBundleCode(entry);
  } else {
    err = LoadResourceCode(entry);
  }
  if (err == noErr) {
    int32_t before = CountChainPlugins(*chainHead);
    OSErr openErr = noErr;
    uint32_t frames = uint32_t(gAudioBufferFrames.load());
    uint32_t id = OpenPluginInstance(reinterpret_cast<VstPluginMainProc>(GetPluginMainEntry(entry)),
                                     frames > 0 ? frames : 1024, chainHead, index, 0, entry,
                                     (flags & kLoadSilent) ? kOpenQuietly : 0, nullptr,
                                     sampleRate, &openErr);
    entry = PluginInfoAt(index);
    if (id == 0) {
      UnloadPluginBundle(entry);
      err = openErr != noErr ? openErr : OSErr(kPluginOpenFailed);
    } else {
      entry->uniqueId = id;
      err = TakeInstanceFacts(entry, id, chainHead, before);
      PluginInstance* opened = LastChainPlugin(*chainHead);
      if (opened != nullptr) opened->countsOpen = 1;
      if (err == noErr || err == kPluginBehindInserts) entry->colourByte = GetCategoryColour(entry->category);
      if (opened != nullptr && opened->colourIndex == 0) opened->colourIndex = entry->colourByte;
      if ((flags & kLoadNoInsert) == 0 && opened != nullptr) TakeSlotSettings(opened, index);
      CountTheLoad(entry, flags);
    }
  }
  if (closeResourceMap) ClosePluginResourceMap(entry);
  UseAppResFile();
  ReportLoadError(entry, err, flags);
  return err;
}

void ClosePluginResourceMap(PluginInfo* entry) {
  if (entry->resRefNum != -1) CloseResFileUseApp(entry->resRefNum);
  entry->resRefNum = -1;
}

void UnloadPluginBundle(PluginInfo* entry) {
  if (entry == nullptr || entry->openCount > 0) return;
  if (entry->bundle != 0) {
    if (entry->mainEntry != 0 && entry->uniqueId != kHostRevId &&
        GetPluginBundleRetainCount(entry->bundle) == 1) {
      UnloadPluginBundleExecutable(entry->bundle);
      entry->mainEntry = 0;
      ClosePluginResourceMap(entry);
    }
    return;
  }
  entry->mainEntry = 0;
  entry->fragmentConnection = 0;
  ClosePluginResourceMap(entry);
  if (entry->code) {
    DisposeHandle(entry->code);
    entry->code = Handle();
  }
}

void ReleasePluginTableCode(int32_t index, uint32_t instance) {
  PluginInfo* entry = PluginInfoAt(index);
  PluginInstance* record = GetPluginInstance(instance);
  if (entry == nullptr) return;
  if (record != nullptr) {
    if (entry->openCount <= 1 && gEnginePrepared) StopAudioEngine(0);
    // Closing the instance lowers the open count (ReleaseInstanceCode).
    ReleasePluginInstance(record);
  }
  UnloadPluginBundle(PluginInfoAt(index));
}

void ReleaseInstanceCode(int32_t index) {
  PluginInfo* entry = PluginInfoAt(index);
  if (entry == nullptr) return;
  if (entry->openCount > 0) --entry->openCount;
  UnloadPluginBundle(entry);
}

int32_t CountPluginUnitsInUse() {
  int32_t units = 0;
  ForEachTrack(CountTrackRack, &units);
  for (int32_t i = 0; i < gAuxBusCount; ++i) {
    uint8_t* bus = GetInstrumentRecord(gInstrumentCount + i);
    if (bus != nullptr) units += CountRack(InstrumentView(bus).InsertRack());
  }
  return units;
}

OSErr CheckPluginLimit() {
  if (CountPluginUnitsInUse() < kPluginUnitLimit) return noErr;
  Str255 limit;
  std::snprintf(reinterpret_cast<char*>(limit + 1), 254,
                "Only %d plug-ins (%d instruments) can be used at the same time.",
                kPluginUnitLimit, (kPluginUnitLimit + 2) / 4);
  limit[0] = uint8_t(std::strlen(reinterpret_cast<char*>(limit + 1)));
  ShowAlertText(limit);
  return paramErr;
}

uint8_t GetCategoryColour(uint32_t category) {
  if (category >= uint32_t(kCategoryColourCount)) return 0;
  if (UsePrefsResFile() != noErr) return 0;
  Handle table = Get1Resource(kSettingsResType, kCategoryColourResId);
  UseAppResFile();
  if (!table || GetHandleSize(table) <= Size(category)) return 0;
  return reinterpret_cast<const uint8_t*>(HandleData(table))[category];
}

OSErr SetCategoryColour(const PluginInstance* plugin, uint8_t colour) {
  const PluginInfo* info = plugin ? PluginInfoAt(int32_t(plugin->tableIndex)) : nullptr;
  if (info == nullptr) return paramErr;
  uint32_t category = info->category;
  if (UsePrefsResFile() != noErr || gPrefsResFile == -1) {
    UseAppResFile();
    return ResError() != noErr ? ResError() : OSErr(fnfErr);
  }
  Handle table = NewHandleClear(kCategoryColourCount);
  if (!table) {
    UseAppResFile();
    return memFullErr;
  }
  if (Handle stored = Get1Resource(kSettingsResType, kCategoryColourResId)) {
    Size n = std::min<Size>(GetHandleSize(stored), kCategoryColourCount);
    std::memcpy(*table, *stored, size_t(n));
  }
  if (category < uint32_t(kCategoryColourCount)) reinterpret_cast<uint8_t*>(*table)[category] = colour;
  OSErr err = WriteBMIDResource(&table, kCategoryColourResId, kCategoryColourName, true);
  DisposeHandle(table);
  UseAppResFile();
  return err;
}
