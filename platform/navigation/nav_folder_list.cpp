#include "platform/navigation/nav_folder_list.h"

#include <algorithm>
#include <strings.h>

#include "platform/files/file_locations.h"
#include "platform/files/host_files.h"
#include "platform/files/sidecars.h"

namespace {

bool ComesBefore(const NavEntry& a, const NavEntry& b) {
  if (a.isFolder != b.isFolder) return a.isFolder;
  int order = strcasecmp(a.diskName.c_str(), b.diskName.c_str());
  return order != 0 ? order < 0 : a.diskName < b.diskName;
}

}  // namespace

OSType NavFileType(const FSSpec* fileSpec, const NavListFilter& filter) {
  FInfo info;
  OSType finderType = FSpGetFInfo(fileSpec, &info) == noErr ? info.fdType : 0;
  return filter.typeProc ? filter.typeProc(fileSpec, finderType, filter.userData) : finderType;
}

bool NavTypeAccepted(OSType type, const NavListFilter& filter) {
  if (filter.typeCount <= 0 || !filter.types) return true;
  return std::find(filter.types, filter.types + filter.typeCount, type) != filter.types + filter.typeCount;
}

OSErr NavListFolder(const std::string& folder, const NavListFilter& filter, std::vector<NavEntry>* entries) {
  entries->clear();
  std::vector<std::string> names;
  OSErr err = HostListFolder(folder, &names);
  if (err != noErr) return err;
  SInt32 dirID = DirIDForPath(folder);
  for (const std::string& name : names) {
    if (name.empty() || name[0] == '.') continue;
    NavEntry entry;
    entry.diskName = name;
    if (!HostPathExists(HostJoinPath(folder, name), &entry.isFolder)) continue;  // a broken link
    if (filter.foldersOnly && !entry.isFolder) continue;
    entry.fileSpec.vRefNum = kZarinVRefNum;
    entry.fileSpec.parID = dirID;
    DiskNameToMacName(name, entry.fileSpec.name);
    if (!entry.isFolder) {
      entry.type = NavFileType(&entry.fileSpec, filter);
      if (!NavTypeAccepted(entry.type, filter)) continue;
    }
    entries->push_back(entry);
  }
  std::sort(entries->begin(), entries->end(), ComesBefore);
  return noErr;
}
