// Standard folders.
//
//   'pref' Preferences          $XDG_CONFIG_HOME/Zarin   (default ~/.config/Zarin)
//   'asup' Application Support  $XDG_DATA_HOME/Zarin     (default ~/.local/share/Zarin)
//   'temp' Temporary items      $TMPDIR                  (default /tmp)
//   'fram' Frameworks           the application folder + "/Frameworks" (never created)
//
// Every domain answers with the same folders, except the network domain, which has none
// (fnfErr). Other subsystems may register further folder types with RegisterStandardFolder.
// A missing folder is created when createFolder is set ('pref', 'asup' and registered
// types); otherwise fnfErr.
#pragma once

#include <string>

#include "platform/files/file_types.h"

enum : SInt16 {
  kOnSystemDisk = -32768,
  kOnAppropriateDisk = -32767,
  kSystemDomain = -32766,
  kLocalDomain = -32765,
  kNetworkDomain = -32764,
  kUserDomain = -32763,
  kClassicDomain = -32762,
};

constexpr OSType kPreferencesFolderType = FourCC("pref");
constexpr OSType kApplicationSupportFolderType = FourCC("asup");
constexpr OSType kTemporaryFolderType = FourCC("temp");
constexpr OSType kFrameworksFolderType = FourCC("fram");
constexpr Boolean kCreateFolder = true;
constexpr Boolean kDontCreateFolder = false;

OSErr FSFindFolder(SInt16 vRefNum, OSType folderType, Boolean createFolder, SInt16* foundVRefNum,
                   SInt32* foundDirID);
OSErr FSFindFolder(SInt16 vRefNum, OSType folderType, Boolean createFolder, FSRef* foundRef);
OSErr FindFolder(SInt16 vRefNum, OSType folderType, Boolean createFolder, SInt16* foundVRefNum,
                 SInt32* foundDirID);
// Host path of a standard folder, or "" (with *err, optional) when it has none.
std::string StandardFolderPath(SInt16 vRefNum, OSType folderType, Boolean createFolder, OSErr* err = nullptr);

// Folder of the running program (of /proc/self/exe), unless set with SetApplicationFolder.
std::string GetApplicationFolder();
void SetApplicationFolder(const std::string& path);  // "" restores the default
// FSSpec of the application folder itself.
OSErr GetApplicationFolderSpec(FSSpec* fileSpec);

// Adds (or with "" removes) a folder type answered with the given host path; a standard
// type registered here is answered with that path instead of its usual place.
void RegisterStandardFolder(OSType folderType, const std::string& path);
