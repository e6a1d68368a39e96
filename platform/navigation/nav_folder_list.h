// The entries a file dialog shows for one folder: folders first, then the files the dialog's
// type list accepts, each group by name without regard to case. Hidden entries (names that
// begin with '.') are left out.
#pragma once

#include <string>
#include <vector>

#include "platform/navigation/navigation.h"

struct NavEntry {
  std::string diskName;  // UTF-8, as on disk
  FSSpec fileSpec;           // the entry in its folder (Mac name)
  bool isFolder = false;
  OSType type = 0;       // files: the type the filter saw
};

struct NavListFilter {
  const OSType* types = nullptr;  // with typeCount 0 every file is accepted
  SInt16 typeCount = 0;
  NavFileTypeProc typeProc = nullptr;  // decides a file's type when given
  void* userData = nullptr;
  bool foldersOnly = false;
};

// The file's type as the filter sees it: the caller's procedure when given, else the Finder
// type (or the one the extension says).
OSType NavFileType(const FSSpec* fileSpec, const NavListFilter& filter);
// True when the filter shows a file of this type.
bool NavTypeAccepted(OSType type, const NavListFilter& filter);
// Lists the folder (an absolute host path). The folder's error when it cannot be read.
OSErr NavListFolder(const std::string& folder, const NavListFilter& filter, std::vector<NavEntry>* entries);
