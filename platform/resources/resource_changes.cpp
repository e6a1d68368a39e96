// What a resource handle says about its resource, and changes to resources and maps.
#include <algorithm>
#include <cstring>

#include "platform/memory/memory.h"
#include "platform/resources/resource_chain.h"
#include "platform/resources/resource_manager.h"

namespace {

struct Found {
  ResourceFile* file = nullptr;
  OpenResource* res = nullptr;
};

Found Find(Handle h) {
  Found found;
  if (!FindResourceHandle(h, &found.file, &found.res)) SetResError(resNotFound);
  return found;
}

void SetName(ResourceRecord* rec, ConstStr255Param name) {
  rec->hasName = name && name[0] > 0;
  rec->name = rec->hasName ? std::string(reinterpret_cast<const char*>(name + 1), name[0]) : std::string();
}

void GiveUpHandle(Handle h) {
  if (IsValidHandle(h)) HSetState(h, int8_t(HGetState(h) & ~kHandleResourceBit));
}

// Keeps a changed resource's data when its handle leaves the Resource Manager, so that
// the change is still written with the file.
void KeepChangedData(OpenResource* res) {
  if (!(res->record.attributes & resChanged) || !res->loaded || !IsValidHandle(res->handle)) return;
  const char* data = *res->handle;
  res->record.data.assign(data ? data : "", data ? size_t(GetHandleSize(res->handle)) : 0);
}

bool HasChanges(const ResourceFile& file) {
  if (file.mapDirty) return true;
  return std::any_of(file.resources.begin(), file.resources.end(),
                     [](const OpenResource& r) { return r.record.attributes & resChanged; });
}

// The image to write: changed resources take their handles' current contents.
ResourceForkImage ImageToWrite(const ResourceFile& file) {
  ResourceForkImage image;
  image.fileAttributes = UInt16(file.fileAttributes & ~mapChanged);
  image.resources.reserve(file.resources.size());
  for (const OpenResource& res : file.resources) {
    ResourceRecord rec = res.record;
    bool changed = rec.attributes & resChanged;
    const char* data = res.loaded && IsValidHandle(res.handle) ? HandleData(res.handle) : nullptr;
    if (changed && data) rec.data.assign(data, size_t(GetHandleSize(res.handle)));
    rec.attributes &= UInt8(~resChanged);
    image.resources.push_back(std::move(rec));
  }
  return image;
}

}  // namespace

bool FindResourceHandle(Handle h, ResourceFile** file, OpenResource** res) {
  if (!h || !IsValidHandle(h)) return false;
  for (ResourceFile& f : ResourceChain()) {
    for (OpenResource& r : f.resources) {
      if (r.handle == h) {
        *file = &f;
        *res = &r;
        return true;
      }
    }
  }
  return false;
}

OSErr WriteResourceFile(ResourceFile* file) {
  if (!HasChanges(*file)) return noErr;
  if (!file->writable || !file->writer) return kResWrPermErr;
  ResourceForkImage image = ImageToWrite(*file);
  std::string bytes;
  if (OSErr err = SerializeResourceFork(image, &bytes)) return err;
  if (OSErr err = file->writer(bytes)) return err;
  for (size_t i = 0; i < file->resources.size(); ++i) {
    file->resources[i].record = std::move(image.resources[i]);
    file->resources[i].onDisk = true;
  }
  file->mapDirty = false;
  return noErr;
}

void GetResInfo(Handle h, SInt16* id, ResType* type, StringPtr name) {
  Found f = Find(h);
  if (!f.res) return;
  if (id) *id = f.res->record.id;
  if (type) *type = f.res->record.type;
  if (name) {
    name[0] = static_cast<unsigned char>(f.res->record.name.size());
    std::memcpy(name + 1, f.res->record.name.data(), f.res->record.name.size());
  }
  SetResError(noErr);
}

void SetResInfo(Handle h, SInt16 id, ConstStr255Param name) {
  Found f = Find(h);
  if (!f.res) return;
  if (f.res->record.attributes & resProtected) return SetResError(resAttrErr);
  for (const OpenResource& other : f.file->resources) {
    if (&other != f.res && other.record.type == f.res->record.type && other.record.id == id) {
      return SetResError(addResFailed);
    }
  }
  f.res->record.id = id;
  if (name) SetName(&f.res->record, name);
  f.file->mapDirty = true;
  SetResError(noErr);
}

SInt16 GetResAttrs(Handle h) {
  Found f = Find(h);
  if (!f.res) return 0;
  SetResError(noErr);
  return f.res->record.attributes;
}

void SetResAttrs(Handle h, SInt16 attrs) {
  Found f = Find(h);
  if (!f.res) return;
  f.res->record.attributes = UInt8(attrs);
  f.file->mapDirty = true;
  SetResError(noErr);
}

SInt16 HomeResFile(Handle h) {
  Found f = Find(h);
  if (!f.res) return -1;
  SetResError(noErr);
  return f.file->refNum;
}

SInt32 GetResourceSizeOnDisk(Handle h) {
  Found f = Find(h);
  if (!f.res) return -1;
  SetResError(noErr);
  if (!f.res->onDisk && f.res->loaded) return GetHandleSize(h);
  return SInt32(f.res->record.data.size());
}

SInt32 GetMaxResourceSize(Handle h) {
  Found f = Find(h);
  if (!f.res) return -1;
  SetResError(noErr);
  if ((f.res->record.attributes & resChanged) && f.res->loaded) return GetHandleSize(h);
  return SInt32(f.res->record.data.size());
}

void AddResource(Handle h, ResType type, SInt16 id, ConstStr255Param name) {
  ResourceFile* file = CurrentResourceFile();
  ResourceFile* home = nullptr;
  OpenResource* existing = nullptr;
  if (!file || !IsValidHandle(h) || FindResourceHandle(h, &home, &existing)) return SetResError(addResFailed);
  auto same = [&](const OpenResource& r) { return r.record.type == type && r.record.id == id; };
  for (OpenResource& r : file->resources) {
    if (same(r) && IsValidHandle(r.handle)) DisposeHandle(r.handle);
  }
  std::erase_if(file->resources, same);
  OpenResource res;
  res.record.type = type;
  res.record.id = id;
  res.record.attributes = resChanged;
  SetName(&res.record, name);
  res.handle = h;
  res.loaded = true;
  HSetState(h, int8_t(HGetState(h) | kHandleResourceBit));
  file->resources.push_back(std::move(res));
  file->mapDirty = true;
  SetResError(noErr);
}

void ChangedResource(Handle h) {
  Found f = Find(h);
  if (!f.res) return;
  if (f.res->record.attributes & resProtected) return SetResError(resAttrErr);
  f.res->record.attributes |= resChanged;
  f.file->mapDirty = true;
  SetResError(noErr);
}

void WriteResource(Handle h) {
  Found f = Find(h);
  if (!f.res) return;
  SetResError((f.res->record.attributes & resChanged) ? WriteResourceFile(f.file) : OSErr(noErr));
}

void RemoveResource(Handle h) {
  ResourceFile* file = nullptr;
  OpenResource* res = nullptr;
  if (!FindResourceHandle(h, &file, &res)) return SetResError(rmvResFailed);
  if (res->record.attributes & resProtected) return SetResError(rmvResFailed);
  GiveUpHandle(h);
  file->resources.erase(file->resources.begin() + (res - file->resources.data()));
  file->mapDirty = true;
  SetResError(noErr);
}

void DetachResource(Handle h) {
  Found f = Find(h);
  if (!f.res) return;
  KeepChangedData(f.res);
  GiveUpHandle(h);
  f.res->handle = nullptr;
  f.res->loaded = false;
  SetResError(noErr);
}

void ReleaseResource(Handle h) {
  Found f = Find(h);
  if (!f.res) return;
  KeepChangedData(f.res);
  DisposeHandle(h);
  f.res->handle = nullptr;
  f.res->loaded = false;
  SetResError(noErr);
}
