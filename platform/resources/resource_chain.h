// The chain of open resource files behind the Resource Manager calls: each file's
// resources, the handles loaded from them, and how the file is written back. The most
// recently opened file is on top; the application's file stays at the bottom.
// For the Resource Manager's own sources; programs use resources.h.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/memory/mac_types.h"
#include "platform/resources/resource_fork.h"

// Writes a whole fork image back to where the file keeps it (atomically).
using ResourceForkWriter = std::function<OSErr(const std::string& bytes)>;

struct OpenResource {
  ResourceRecord record;  // record.data: the bytes as last read or written
  Handle handle;          // the handle given out, or none
  bool loaded = false;    // the handle holds the data (false after SetResLoad(false))
  bool onDisk = false;    // the resource is in the file as written
};

struct ResourceFile {
  SInt16 refNum = 0;
  std::string key;  // identity of the file and fork: canonical path and fork
  bool writable = false;
  bool mapDirty = false;  // the map changed since the file was read or written
  UInt16 fileAttributes = 0;
  std::vector<OpenResource> resources;
  ResourceForkWriter writer;
};

void SetResError(OSErr err);

// Puts a parsed file into the chain (on top, or at the bottom for the application's
// file) and makes it current. Returns its refnum.
SInt16 AddResourceFileToChain(const std::string& key, ResourceForkImage image, bool writable,
                              ResourceForkWriter writer, bool atBottom);

ResourceFile* FindResourceFile(SInt16 refNum);
ResourceFile* FindResourceFileByKey(const std::string& key);

// Makes an already open file current (the rule for opening a file twice).
void MakeResourceFileCurrent(SInt16 refNum);

// The open files, top first, and the current one (null when none is open).
std::vector<ResourceFile>& ResourceChain();
ResourceFile* CurrentResourceFile();

// The file and resource a handle belongs to; false for any other handle.
bool FindResourceHandle(Handle h, ResourceFile** file, OpenResource** res);

// Writes the file's changes when there are any: noErr when nothing changed, wrPermErr
// for a read-only file with changes, else the writer's result.
OSErr WriteResourceFile(ResourceFile* file);
