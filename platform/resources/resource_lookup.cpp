// Finding resources in the chain and handing out their handles.
#include <cstring>

#include "platform/memory/memory.h"
#include "platform/resources/resource_chain.h"
#include "platform/resources/resource_manager.h"

namespace {

bool gResLoad = true;

// The files a search visits: the current one, then (unless oneFile) every file below it.
std::vector<ResourceFile*> SearchOrder(bool oneFile) {
  std::vector<ResourceFile*> files;
  std::vector<ResourceFile>& chain = ResourceChain();
  SInt16 current = CurResFile();
  size_t i = 0;
  while (i < chain.size() && chain[i].refNum != current) ++i;
  for (; i < chain.size(); ++i) {
    files.push_back(&chain[i]);
    if (oneFile) break;
  }
  return files;
}

bool SameName(const std::string& name, ConstStr255Param wanted) {
  if (name.size() != wanted[0]) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned char a = static_cast<unsigned char>(name[i]);
    unsigned char b = wanted[i + 1];
    if (a >= 'a' && a <= 'z') a = static_cast<unsigned char>(a - 32);
    if (b >= 'a' && b <= 'z') b = static_cast<unsigned char>(b - 32);
    if (a != b) return false;
  }
  return true;
}

// Copies the resource's data into its handle.
OSErr FillHandle(OpenResource* res) {
  Size size = Size(res->record.data.size());
  if (HandleData(res->handle) == nullptr) {
    ReallocateHandle(res->handle, size);
  } else {
    SetHandleSize(res->handle, size);
  }
  if (OSErr err = MemError()) return err;
  if (size > 0) std::memcpy(*res->handle, res->record.data.data(), size_t(size));
  res->loaded = true;
  if (res->record.attributes & resLocked) HLock(res->handle);
  return noErr;
}

// The resource's handle, made and loaded as needed (not loaded while SetResLoad is off).
Handle ProvideHandle(OpenResource* res) {
  if (res->handle && !IsValidHandle(res->handle)) res->handle = nullptr;  // disposed by the caller
  bool fresh = false;
  if (!res->handle) {
    Handle h = NewHandle(0);
    if (!h) {
      SetResError(MemError());
      return nullptr;
    }
    HSetState(h, int8_t(HGetState(h) | kHandleResourceBit));
    res->handle = h;
    res->loaded = false;
    fresh = true;
  }
  bool empty = res->loaded && !res->record.data.empty() && HandleData(res->handle) == nullptr;
  if ((!res->loaded || empty) && gResLoad) {
    if (OSErr err = FillHandle(res)) {
      if (fresh) DisposeHandle(res->handle), res->handle = nullptr;
      SetResError(err);
      return nullptr;
    }
  }
  SetResError(noErr);
  return res->handle;
}

template <class Match>
Handle FindAndProvide(bool oneFile, Match match) {
  for (ResourceFile* file : SearchOrder(oneFile)) {
    for (OpenResource& res : file->resources) {
      if (match(res.record)) return ProvideHandle(&res);
    }
  }
  SetResError(resNotFound);
  return nullptr;
}

Handle GetIndexed(bool oneFile, ResType type, SInt16 index) {
  SInt16 seen = 0;
  return FindAndProvide(oneFile, [&](const ResourceRecord& rec) { return rec.type == type && ++seen == index; });
}

SInt16 CountOf(bool oneFile, ResType type) {
  int count = 0;
  for (ResourceFile* file : SearchOrder(oneFile)) {
    for (const OpenResource& res : file->resources) count += res.record.type == type;
  }
  SetResError(noErr);
  return SInt16(count > 0x7FFF ? 0x7FFF : count);
}

std::vector<ResType> TypesOf(bool oneFile) {
  std::vector<ResType> types;
  for (ResourceFile* file : SearchOrder(oneFile)) {
    for (const OpenResource& res : file->resources) {
      bool known = false;
      for (ResType t : types) known |= t == res.record.type;
      if (!known) types.push_back(res.record.type);
    }
  }
  return types;
}

void GetIndexedType(bool oneFile, ResType* type, SInt16 index) {
  std::vector<ResType> types = TypesOf(oneFile);
  if (index < 1 || size_t(index) > types.size()) {
    *type = 0;
    return SetResError(resNotFound);
  }
  *type = types[size_t(index) - 1];
  SetResError(noErr);
}

bool IdTaken(bool oneFile, ResType type, SInt16 id) {
  for (ResourceFile* file : SearchOrder(oneFile)) {
    for (const OpenResource& res : file->resources) {
      if (res.record.type == type && res.record.id == id) return true;
    }
  }
  return false;
}

SInt16 FreeId(bool oneFile, ResType type) {
  for (int k = 0; k < 0x7FFF; ++k) {
    int id = 128 + k > 0x7FFF ? 128 + k - 0x7FFF : 128 + k;  // 128..32767, then 1..127
    if (!IdTaken(oneFile, type, SInt16(id))) {
      SetResError(noErr);
      return SInt16(id);
    }
  }
  SetResError(addResFailed);
  return -1;
}

}  // namespace

void SetResLoad(Boolean load) {
  gResLoad = load;
  SetResError(noErr);
}

Handle GetResource(ResType type, SInt16 id) {
  return FindAndProvide(false, [&](const ResourceRecord& rec) { return rec.type == type && rec.id == id; });
}

Handle Get1Resource(ResType type, SInt16 id) {
  return FindAndProvide(true, [&](const ResourceRecord& rec) { return rec.type == type && rec.id == id; });
}

Handle GetNamedResource(ResType type, ConstStr255Param name) {
  if (!name) return SetResError(resNotFound), nullptr;
  return FindAndProvide(false, [&](const ResourceRecord& rec) {
    return rec.type == type && rec.hasName && SameName(rec.name, name);
  });
}

Handle Get1NamedResource(ResType type, ConstStr255Param name) {
  if (!name) return SetResError(resNotFound), nullptr;
  return FindAndProvide(true, [&](const ResourceRecord& rec) {
    return rec.type == type && rec.hasName && SameName(rec.name, name);
  });
}

Handle GetIndResource(ResType type, SInt16 index) { return GetIndexed(false, type, index); }
Handle Get1IndResource(ResType type, SInt16 index) { return GetIndexed(true, type, index); }
SInt16 CountResources(ResType type) { return CountOf(false, type); }
SInt16 Count1Resources(ResType type) { return CountOf(true, type); }

SInt16 CountTypes() {
  SetResError(noErr);
  return SInt16(TypesOf(false).size());
}

SInt16 Count1Types() {
  SetResError(noErr);
  return SInt16(TypesOf(true).size());
}

void GetIndType(ResType* type, SInt16 index) { GetIndexedType(false, type, index); }
void Get1IndType(ResType* type, SInt16 index) { GetIndexedType(true, type, index); }
SInt16 UniqueID(ResType type) { return FreeId(false, type); }
SInt16 Unique1ID(ResType type) { return FreeId(true, type); }

void LoadResource(Handle h) {
  ResourceFile* file = nullptr;
  OpenResource* res = nullptr;
  if (!FindResourceHandle(h, &file, &res)) return SetResError(resNotFound);
  bool saved = gResLoad;
  gResLoad = true;
  ProvideHandle(res);
  gResLoad = saved;
}
