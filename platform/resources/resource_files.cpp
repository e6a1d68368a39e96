// Resource files on disk: resource forks through platform/files, data-fork files directly.
#include "platform/resources/resource_files.h"

#include <filesystem>
#include <utility>

#include "platform/files/catalog.h"
#include "platform/files/file_locations.h"
#include "platform/files/host_files.h"
#include "platform/files/sidecars.h"
#include "platform/resources/resource_chain.h"
#include "platform/resources/resource_manager.h"

namespace {

// Largest data-fork resource file read (data offsets are 24 bits).
constexpr UInt64 kMaxResourceFileBytes = 64ull << 20;

std::string FileKey(const std::string& path, bool dataFork) {
  std::error_code ec;
  std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ec);
  return (dataFork ? "data:" : "rsrc:") + (ec ? path : canonical.string());
}

// Reads and parses fork bytes and puts the file in the chain; -1 with ResError on failure.
SInt16 OpenParsed(const std::string& key, OSErr readErr, const std::string& bytes, bool writable,
                  ResourceForkWriter writer, bool atBottom) {
  ResourceForkImage image;
  OSErr err = readErr ? readErr : ParseResourceMap(bytes, &image);
  if (err) {
    SetResError(err);
    return -1;
  }
  SInt16 refNum = AddResourceFileToChain(key, std::move(image), writable, std::move(writer), atBottom);
  SetResError(noErr);
  return refNum;
}

// The refnum of a file already open (made current), or 0.
SInt16 AlreadyOpen(const std::string& key) {
  ResourceFile* file = FindResourceFileByKey(key);
  if (!file) return 0;
  MakeResourceFileCurrent(file->refNum);
  SetResError(noErr);
  return file->refNum;
}

SInt16 OpenDataForkFile(const std::string& path, SInt8 permission, bool atBottom) {
  std::string key = FileKey(path, true);
  if (SInt16 refNum = AlreadyOpen(key)) return refNum;
  std::string bytes;
  OSErr err = HostReadFile(path, &bytes, kMaxResourceFileBytes);
  bool writable = permission != fsRdPerm;
  ResourceForkWriter writer = [path](const std::string& b) { return HostWriteFileAtomically(path, b); };
  return OpenParsed(key, err, bytes, writable, writable ? writer : nullptr, atBottom);
}

}  // namespace

SInt16 FSpOpenResFile(const FSSpec* fileSpec, SInt8 permission) {
  std::string path = fileSpec ? SpecToPath(fileSpec) : std::string();
  if (path.empty()) {
    SetResError(fnfErr);
    return -1;
  }
  std::string key = FileKey(path, false);
  if (SInt16 refNum = AlreadyOpen(key)) return refNum;
  std::string bytes;
  OSErr err = ReadResourceForkBytes(fileSpec, &bytes);
  bool writable = permission != fsRdPerm;
  FSSpec where = *fileSpec;
  ResourceForkWriter writer = [where](const std::string& b) { return WriteResourceForkBytes(&where, b); };
  return OpenParsed(key, err, bytes, writable, writable ? writer : nullptr, false);
}

void FSpCreateResFile(const FSSpec* fileSpec, OSType creator, OSType fileType, SInt16 scriptTag) {
  if (!fileSpec) return SetResError(paramErr);
  std::string bytes;
  OSErr err = ReadResourceForkBytes(fileSpec, &bytes);
  if (err == fnfErr) {
    if ((err = FSpCreate(fileSpec, creator, fileType, scriptTag)) != noErr) return SetResError(err);
  } else if (err) {
    return SetResError(err);
  }
  if (!bytes.empty()) {
    ResourceForkImage image;
    err = ParseResourceMap(bytes, &image);
    return SetResError(err ? err : OSErr(dupFNErr));  // a map is there already (or a damaged one)
  }
  SetResError(WriteResourceForkBytes(fileSpec, EmptyResourceFork()));
}

Boolean FSpResourceFileAlreadyOpen(const FSSpec* fileSpec, Boolean* inChain, SInt16* refNum) {
  std::string path = fileSpec ? SpecToPath(fileSpec) : std::string();
  ResourceFile* file = path.empty() ? nullptr : FindResourceFileByKey(FileKey(path, false));
  if (inChain) *inChain = file != nullptr;
  if (refNum) *refNum = file ? file->refNum : -1;
  SetResError(noErr);
  return file != nullptr;
}

OSErr OpenAppResourceFile(const std::string& path, SInt16* refNum) {
  SInt16 result = OpenDataForkFile(path, fsRdPerm, true);
  if (refNum) *refNum = result;
  return ResError();
}

OSErr OpenResourceFileAtPath(const std::string& path, SInt8 permission, Boolean dataFork, SInt16* refNum) {
  SInt16 result = -1;
  if (dataFork) {
    result = OpenDataForkFile(path, permission, false);
  } else {
    FSSpec fileSpec;
    OSErr err = PathToSpec(path, &fileSpec);
    if (err) {
      SetResError(err);
    } else {
      result = FSpOpenResFile(&fileSpec, permission);
    }
  }
  if (refNum) *refNum = result;
  return ResError();
}

OSErr WriteDataForkResourceFile(const std::string& path, const ResourceForkImage& image) {
  std::string bytes;
  OSErr err = SerializeResourceFork(image, &bytes);
  if (err == noErr) err = HostWriteFileAtomically(path, bytes);
  SetResError(err);
  return err;
}
