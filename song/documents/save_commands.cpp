#include "song/documents/save_commands.h"

#include "platform/dialogs/param_text.h"
#include "shell/base/error_report.h"
#include "shell/base/untitled_name.h"
#include "song/documents/document_dialog_hooks.h"
#include "song/documents/document_file.h"
#include "song/documents/document_hooks.h"
#include "song/documents/document_open.h"
#include "song/documents/document_writer.h"
#include "song/documents/new_file_writer.h"

namespace {

// The save dialog under the document's name (or the untitled name).
OSErr ChooseDocumentFile(FSSpec* fileSpec) {
  ConstStringPtr name = IsDocumentNamed() ? gCurrentDocumentSpec.name : GetUntitledName();
  bool bundle = false;
  OSErr err = ChooseSaveFile(kSongDocumentType, kSaveAsBundleDialogKind, name, fileSpec, &bundle);
  if (err != noErr) return err;
  if (bundle) return ReportError(unimpErr), unimpErr;  // said, never a silent no-op
  return noErr;
}

}  // namespace

OSErr RunSaveCommand() {
  if (!IsDocumentNamed()) return RunSaveAsCommand();
  FSSpec fileSpec = gCurrentDocumentSpec;
  return SaveSongDocument(&fileSpec, kSongDocumentType);
}

OSErr RunSaveAsCommand() {
  FSSpec fileSpec;
  OSErr err = ChooseDocumentFile(&fileSpec);
  if (err != noErr) return err;
  return SaveSongDocument(&fileSpec, kSongDocumentType);
}

OSErr RunSaveCopyCommand() {
  FSSpec fileSpec;
  OSErr err = ChooseDocumentFile(&fileSpec);
  if (err != noErr) return err;
  return WriteNewFile(&fileSpec, kSongDocumentType, WriteSongDocument, nullptr);
}

OSErr RunRevertCommand() {
  if (!IsDocumentNamed()) return paramErr;
  const unsigned char kEmpty[] = "";
  ParamText(gCurrentDocumentSpec.name, kEmpty, kEmpty, kEmpty);
  if (ShowStopAlert(kRevertAlertId) != kRevertAnswer) return userCanceledErr;
  StopPlaybackForOpen(false);
  FSSpec fileSpec = gCurrentDocumentSpec;
  return OpenSongFile(&fileSpec, 0, false);
}
