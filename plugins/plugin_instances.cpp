#include "plugins/plugin_instances.h"

#include <vector>

#include "platform/memory/byte_order.h"
#include "platform/memory/memory.h"

namespace {

struct PluginInstanceRecord {
  int32_t uses = 0;
  uint32_t next = 0;
  uint8_t bypass = 0;
};

// Instance n is gInstances[n - 1]; a closed instance keeps its slot with no uses.
std::vector<PluginInstanceRecord> gInstances;

PluginInstanceRecord* Find(uint32_t instance) {
  if (instance == 0 || instance > gInstances.size()) return nullptr;
  PluginInstanceRecord* r = &gInstances[instance - 1];
  return r->uses > 0 ? r : nullptr;
}

int32_t ListCount(Handle list) {
  if (!list || !IsValidHandle(list) || GetHandleSize(list) < kChainListHeader) return 0;
  int32_t count = int32_t(ReadU32BE(HandleData(list)));
  int32_t fits = (GetHandleSize(list) - kChainListHeader) / kChainListEntry;
  return count < 0 ? 0 : (count < fits ? count : fits);
}

uint8_t* ListEntry(Handle list, int32_t n) {
  return reinterpret_cast<uint8_t*>(HandleData(list)) + kChainListHeader + kChainListEntry * n;
}

// The chain's instances in order; a chain that loops back on itself is cut.
std::vector<uint32_t> ChainMembers(uint32_t head) {
  std::vector<uint32_t> members;
  for (uint32_t p = head; Find(p) && members.size() <= gInstances.size(); p = Find(p)->next)
    members.push_back(p);
  return members;
}

}  // namespace

uint32_t NewPluginInstance() {
  gInstances.push_back(PluginInstanceRecord{1, 0, 0});
  return uint32_t(gInstances.size());
}

int32_t ReleasePluginInstance(uint32_t instance) {
  PluginInstanceRecord* r = Find(instance);
  if (!r) return 0;
  if (--r->uses > 0) return 0;
  r->next = 0;
  return 1;
}

bool IsPluginInstanceOpen(uint32_t instance) { return Find(instance) != nullptr; }

int32_t GetPluginUseCount(uint32_t instance) {
  PluginInstanceRecord* r = Find(instance);
  return r ? r->uses : 0;
}

uint32_t GetPluginNext(uint32_t instance) {
  PluginInstanceRecord* r = Find(instance);
  return r ? r->next : 0;
}

void SetPluginNext(uint32_t instance, uint32_t next) {
  if (PluginInstanceRecord* r = Find(instance)) r->next = next;
}

uint8_t GetPluginBypass(uint32_t instance) {
  PluginInstanceRecord* r = Find(instance);
  return r ? r->bypass : 0;
}

void SetPluginBypass(uint32_t instance, uint8_t on, int32_t) {
  if (PluginInstanceRecord* r = Find(instance)) r->bypass = on ? 1 : 0;
}

int32_t CountOpenPluginInstances() {
  int32_t n = 0;
  for (const PluginInstanceRecord& r : gInstances) n += r.uses > 0 ? 1 : 0;
  return n;
}

Handle ListInsertChain(uint32_t head) {
  std::vector<uint32_t> members = ChainMembers(head);
  if (members.empty()) return Handle();
  Handle list = NewHandleClear(Size(kChainListHeader + kChainListEntry * members.size()));
  if (!list) return Handle();
  WriteU32BE(HandleData(list), uint32_t(members.size()));
  for (size_t i = 0; i < members.size(); ++i) {
    uint8_t* e = ListEntry(list, int32_t(i));
    WriteU32BE(e, members[i]);
    WriteU32BE(e + 4, uint32_t(i));
    e[12] = GetPluginBypass(members[i]);
    ++Find(members[i])->uses;
  }
  return list;
}

void AdjustChainListReferences(Handle list, int32_t delta) {
  for (int32_t i = 0, n = ListCount(list); i < n; ++i) {
    if (PluginInstanceRecord* r = Find(ReadU32BE(ListEntry(list, i)))) r->uses += delta;
  }
}

uint32_t RelinkChainList(Handle list) {
  int32_t n = ListCount(list);
  std::vector<uint32_t> members;
  for (int32_t i = 0; i < n; ++i) {
    uint32_t id = ReadU32BE(ListEntry(list, i));
    if (Find(id)) members.push_back(id);
  }
  for (size_t i = 0; i < members.size(); ++i) {
    ++Find(members[i])->uses;
    SetPluginNext(members[i], i + 1 < members.size() ? members[i + 1] : 0);
  }
  for (int32_t i = 0; i < n; ++i) {
    uint8_t* e = ListEntry(list, i);
    SetPluginBypass(ReadU32BE(e), e[12], 2);
  }
  return members.empty() ? 0 : members.front();
}

void DisposeChainList(Handle list, int32_t) {
  if (!list || !IsValidHandle(list)) return;
  for (int32_t i = 0, n = ListCount(list); i < n; ++i)
    ReleasePluginInstance(ReadU32BE(ListEntry(list, i)));
  DisposeHandle(list);
}

void RefreshChainPlugins(Handle, uint32_t head) { ReleaseChainInstances(head); }

void RegisterChainPatchNames(Handle, uint32_t, int32_t) {}

void ReleaseChainInstances(uint32_t head) {
  for (uint32_t id : ChainMembers(head)) ReleasePluginInstance(id);
}
