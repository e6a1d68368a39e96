// The Navigation Services calls: start folder, scripted answers, replies.
#include <cstdlib>
#include <string>

#include "platform/dialogs/scripted_answers.h"
#include "platform/files/catalog.h"
#include "platform/files/file_locations.h"
#include "platform/files/host_files.h"
#include "platform/navigation/nav_dialog.h"

namespace {

std::string gLastFolder;
ScriptedAnswers gScript{"ZARIN_NAV_REPLY", {}, 0};

// The folder a dialog starts in: the default location's folder (or the folder of the file it
// names), else the last folder shown, else the user's home folder (the working folder when
// there is none).
std::string StartFolder(const AEDesc* defaultLocation) {
  FSSpec fileSpec;
  UInt8 image[kFSSpecImageSize];
  if (defaultLocation && defaultLocation->descriptorType == typeFSS &&
      AEGetDescData(defaultLocation, image, sizeof image) == noErr) {
    FSSpecFromAEImage(image, &fileSpec);
    std::string path = SpecToPath(&fileSpec);
    bool folder = false;
    if (!path.empty() && HostPathExists(path, &folder)) return folder ? path : HostParentPath(path);
    if (!path.empty() && HostPathExists(HostParentPath(path), &folder) && folder) return HostParentPath(path);
  }
  bool folder = false;
  if (!gLastFolder.empty() && HostPathExists(gLastFolder, &folder) && folder) return gLastFolder;
  const char* home = std::getenv("HOME");
  if (home && *home && HostPathExists(home, &folder) && folder) return NormalizePath(home);
  return NormalizePath(".");
}

OSErr MakeReply(NavReplyRecord* reply, const FSSpec& fileSpec) {
  OSErr err = AECreateList(nullptr, 0, false, &reply->selection);
  if (err == noErr) err = AEPutFSSpec(&reply->selection, 0, fileSpec);
  reply->validRecord = err == noErr;
  return err;
}

// A scripted answer as the dialog of the mode would give it; userCanceledErr for "-".
// An answer the dialog could not give is refused with fnfErr (dirNFErr for a save dialog
// whose folder is missing).
OSErr ScriptedSpec(NavDialogMode mode, const std::string& path, const NavListFilter& filter, FSSpec* fileSpec) {
  if (path == "-") return userCanceledErr;
  OSErr err = PathToSpec(path, fileSpec);
  bool folder = false;
  bool exists = err == noErr && SpecExists(fileSpec, &folder);
  switch (mode) {
    case kNavModeOpen:
      if (!exists || folder) return fnfErr;
      return NavTypeAccepted(NavFileType(fileSpec, filter), filter) ? OSErr(noErr) : OSErr(fnfErr);
    case kNavModeSave:
      if (err == fnfErr) return noErr;
      return err != noErr ? err : folder ? OSErr(fnfErr) : OSErr(noErr);
    default:
      return exists && folder ? OSErr(noErr) : OSErr(fnfErr);
  }
}

OSErr Run(NavDialogMode mode, const AEDesc* defaultLocation, NavReplyRecord* reply,
          const NavDialogOptions* options, const NavListFilter& filter) {
  if (!reply) return paramErr;
  *reply = NavReplyRecord();
  NavDialogOptions standard;
  NavDialogRun run;
  run.mode = mode;
  run.options = options ? options : &standard;
  run.filter = filter;
  run.choice = run.options->choiceValue;
  std::string answer;
  OSErr err;
  if (NextScriptedAnswer(&gScript, &answer)) {
    err = ScriptedSpec(mode, answer, filter, &run.chosen);
  } else {
    run.startFolder = StartFolder(defaultLocation);
    err = RunNavDialog(&run);
    if (!run.shownFolder.empty()) gLastFolder = run.shownFolder;
  }
  if (err != noErr) return err;
  reply->replacing = mode == kNavModeSave && SpecExists(&run.chosen);
  reply->choice = run.choice;
  return MakeReply(reply, run.chosen);
}

}  // namespace

OSErr NavGetDefaultDialogOptions(NavDialogOptions* options) {
  if (!options) return paramErr;
  *options = NavDialogOptions();
  return noErr;
}

OSErr NavGetFile(const AEDesc* defaultLocation, NavReplyRecord* reply, const NavDialogOptions* options,
                 const OSType* types, SInt16 typeCount, NavFileTypeProc typeProc, void* userData) {
  NavListFilter filter;
  filter.types = types;
  filter.typeCount = types ? typeCount : 0;
  filter.typeProc = typeProc;
  filter.userData = userData;
  return Run(kNavModeOpen, defaultLocation, reply, options, filter);
}

OSErr NavPutFile(const AEDesc* defaultLocation, NavReplyRecord* reply, const NavDialogOptions* options,
                 OSType fileType, OSType) {
  OSErr err = Run(kNavModeSave, defaultLocation, reply, options, NavListFilter());
  if (reply) reply->fileType = fileType;
  return err;
}

OSErr NavChooseFolder(const AEDesc* defaultLocation, NavReplyRecord* reply, const NavDialogOptions* options) {
  NavListFilter filter;
  filter.foldersOnly = true;
  return Run(kNavModeChooseFolder, defaultLocation, reply, options, filter);
}

OSErr NavCompleteSave(NavReplyRecord* reply) { return reply && reply->validRecord ? noErr : paramErr; }

OSErr NavDisposeReply(NavReplyRecord* reply) {
  if (!reply) return paramErr;
  AEDisposeDesc(&reply->selection);
  *reply = NavReplyRecord();
  return noErr;
}

void NavSetStartFolder(const char* hostPath) { gLastFolder = hostPath ? NormalizePath(hostPath) : ""; }
