#include "song/documents/save_commands.h"

#include "shell/base/error_report.h"
#include "shell/base/untitled_name.h"
#include "song/documents/document_dialog_hooks.h"
#include "song/documents/document_file.h"
#include "song/documents/document_writer.h"

OSErr RunSaveCommand() {
  if (!IsDocumentNamed()) return RunSaveAsCommand();
  FSSpec fileSpec = gCurrentDocumentSpec;
  return SaveSongDocument(&fileSpec, kSongDocumentType);
}

OSErr RunSaveAsCommand() {
  ConstStringPtr name = IsDocumentNamed() ? gCurrentDocumentSpec.name : GetUntitledName();
  FSSpec fileSpec;
  bool bundle = false;
  OSErr err = ChooseSaveFile(kSongDocumentType, kSaveAsBundleDialogKind, name, &fileSpec, &bundle);
  if (err != noErr) return err;
  if (bundle) return ReportError(unimpErr), unimpErr;  // said, never a silent no-op
  return SaveSongDocument(&fileSpec, kSongDocumentType);
}
