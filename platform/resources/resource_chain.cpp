// The chain of open resource files, the current file and the result of the last call.
#include "platform/resources/resource_chain.h"

#include <algorithm>
#include <utility>

#include "platform/memory/memory.h"
#include "platform/resources/resource_manager.h"

namespace {

std::vector<ResourceFile> gResourceChain;  // [0] is the top, back() the bottom
SInt16 gCurResFile = 0;
SInt16 gNextRefNum = 1;
OSErr gResErr = noErr;

SInt16 TakeRefNum() {
  for (;;) {
    SInt16 candidate = gNextRefNum;
    gNextRefNum = gNextRefNum >= 0x7FFF ? 1 : SInt16(gNextRefNum + 1);
    if (!FindResourceFile(candidate)) return candidate;
  }
}

void DisposeResourceHandles(ResourceFile* file) {
  for (OpenResource& res : file->resources) {
    if (IsValidHandle(res.handle)) DisposeHandle(res.handle);
    res.handle = nullptr;
  }
}

}  // namespace

std::vector<ResourceFile>& ResourceChain() { return gResourceChain; }

void SetResError(OSErr err) { gResErr = err; }
OSErr ResError() { return gResErr; }

SInt16 AddResourceFileToChain(const std::string& key, ResourceForkImage image, bool writable,
                              ResourceForkWriter writer, bool atBottom) {
  ResourceFile file;
  file.refNum = TakeRefNum();
  file.key = key;
  file.writable = writable;
  file.fileAttributes = UInt16(image.fileAttributes & ~mapChanged);
  file.writer = std::move(writer);
  for (ResourceRecord& rec : image.resources) {
    OpenResource res;
    res.record = std::move(rec);
    res.record.attributes &= UInt8(~resChanged);
    res.onDisk = true;
    file.resources.push_back(std::move(res));
  }
  SInt16 refNum = file.refNum;
  auto at = atBottom ? gResourceChain.end() : gResourceChain.begin();
  gResourceChain.insert(at, std::move(file));
  gCurResFile = refNum;
  return refNum;
}

ResourceFile* FindResourceFile(SInt16 refNum) {
  for (ResourceFile& file : gResourceChain) {
    if (file.refNum == refNum) return &file;
  }
  return nullptr;
}

ResourceFile* FindResourceFileByKey(const std::string& key) {
  for (ResourceFile& file : gResourceChain) {
    if (file.key == key) return &file;
  }
  return nullptr;
}

void MakeResourceFileCurrent(SInt16 refNum) { gCurResFile = refNum; }

ResourceFile* CurrentResourceFile() { return FindResourceFile(gCurResFile); }

SInt16 CurResFile() {
  SetResError(noErr);
  return gCurResFile;
}

void UseResFile(SInt16 refNum) {
  if (refNum == 0 && !gResourceChain.empty()) refNum = gResourceChain.back().refNum;
  if (!FindResourceFile(refNum)) return SetResError(resFNotFound);
  gCurResFile = refNum;
  SetResError(noErr);
}

void CloseResFile(SInt16 refNum) {
  auto it = std::find_if(gResourceChain.begin(), gResourceChain.end(),
                         [&](const ResourceFile& f) { return f.refNum == refNum; });
  if (it == gResourceChain.end()) return SetResError(resFNotFound);
  OSErr err = it->writable ? WriteResourceFile(&*it) : OSErr(noErr);
  DisposeResourceHandles(&*it);
  if (gCurResFile == refNum) {
    // The file opened just before this one becomes current (or the top of the chain).
    auto below = std::next(it);
    gCurResFile = below != gResourceChain.end() ? below->refNum : 0;
  }
  gResourceChain.erase(it);
  if (gCurResFile == 0 && !gResourceChain.empty()) gCurResFile = gResourceChain.front().refNum;
  SetResError(err);
}

void CloseAllResFiles() {
  while (!gResourceChain.empty()) CloseResFile(gResourceChain.front().refNum);
  gCurResFile = 0;
  SetResError(noErr);
}

void UpdateResFile(SInt16 refNum) {
  ResourceFile* file = FindResourceFile(refNum);
  if (!file) return SetResError(resFNotFound);
  SetResError(WriteResourceFile(file));
}
